#!/usr/bin/env python3
"""`corvane --due --format ics` read back by python3-icalendar, a parser of its own.

Usage: check_due_calendar.py CORVANE SCHEMA_SQL
Builds a register from the schema, runs the executable on it and checks the file line by
line (CRLF, folding at 75 octets) and event by event (dates, alarms, UIDs, texts)."""

import datetime
import os
import sqlite3
import subprocess
import sys
import tempfile

import icalendar

CORVANE, SCHEMA = sys.argv[1], sys.argv[2]
TODAY = datetime.date.today()
ODD_NAME = 'a;b,c\\d "引号"'
LONG_NAME = '北京市海淀区中关村科技园区网络信息服务有限公司官方网站' * 2
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def day(offset):
    return TODAY + datetime.timedelta(days=offset)


def make_register(path):
    db = sqlite3.connect(path)
    with open(SCHEMA, encoding='utf-8') as schema:
        db.executescript(schema.read())
    db.execute('update t_set set web_alarm=3, domain_alarm=7')
    sites = [  # number, name, address, hosting expiry, domain expiry
        ('000001', ODD_NAME, 'odd.example', day(-2), day(1)),
        ('000002', LONG_NAME, 'long.example', day(0), None),
        ('000003', 'later', 'later.example', day(100), day(400)),
        ('000004', 'none', 'none.example', None, None),
    ]
    for number, name, address, hosting, domain in sites:
        db.execute('insert into t_webinfo(web_id,web_name,web_address,web_endtime,web_enddomaintime) '
                   'values(?,?,?,?,?)', (number, name, address,
                                         hosting and hosting.isoformat(), domain and domain.isoformat()))
    db.commit()
    ids = dict(db.execute('select web_id, id from t_webinfo'))
    db.close()
    return ids


def run(register):
    done = subprocess.run([CORVANE, '--due', '--format', 'ics', '--register', register],
                          capture_output=True, timeout=60)
    check(done.returncode == 1, f'exit status {done.returncode}, stderr {done.stderr!r}')
    return done.stdout


def check_lines(raw):
    check(raw.endswith(b'\r\n'), 'the file ends with CRLF')
    lines = raw[:-2].split(b'\r\n')
    check(all(b'\n' not in line and b'\r' not in line for line in lines), 'every line ends with CRLF')
    check(all(len(line) <= 75 for line in lines), 'no line is longer than 75 octets')
    for line in lines:
        try:
            line.decode('utf-8')
        except UnicodeDecodeError:
            failures.append(f'a fold splits a UTF-8 character: {line!r}')
    check(any(line.startswith(b' ') for line in lines), 'the long name is folded')


def expected_events(ids):
    # uid -> (start, summary, description lines, alarm days before)
    def event(number, name, address, kind, date, lead):
        what = '空间到期：' if kind == 'hosting' else '域名到期：'
        description = f'网站编号：{number}\n网站名称：{name}\n网站地址：{address}'
        uid = f'corvane-site-{ids[number]}-{kind}'
        return uid, (date, f'{what}{name} ({number})', description, lead)
    return dict([
        event('000001', ODD_NAME, 'odd.example', 'hosting', day(-2), 3),
        event('000001', ODD_NAME, 'odd.example', 'domain', day(1), 7),
        event('000002', LONG_NAME, 'long.example', 'hosting', day(0), 3),
        event('000003', 'later', 'later.example', 'hosting', day(100), 3),
        event('000003', 'later', 'later.example', 'domain', day(400), 7),
    ])


def parsed_events(raw):
    calendar = icalendar.Calendar.from_ical(raw)
    check(str(calendar.get('VERSION')) == '2.0', 'VERSION:2.0')
    check(bool(str(calendar.get('PRODID', ''))), 'a PRODID')
    events = {}
    for event in calendar.walk('VEVENT'):
        start = event.decoded('DTSTART')
        check(type(start) is datetime.date, f'{event["UID"]}: an all-day start')
        check(event.decoded('DTEND') == start + datetime.timedelta(days=1), f'{event["UID"]}: ends next day')
        check('DTSTAMP' in event, f'{event["UID"]}: a DTSTAMP')
        alarms = event.walk('VALARM')
        check(len(alarms) == 1, f'{event["UID"]}: one alarm')
        check(str(alarms[0]['ACTION']) == 'DISPLAY', f'{event["UID"]}: a display alarm')
        lead = -alarms[0].decoded('TRIGGER').days
        check(str(event['UID']) not in events, f'{event["UID"]}: one event per UID')
        events[str(event['UID'])] = (start, str(event['SUMMARY']), str(event['DESCRIPTION']), lead)
    return events


def main():
    with tempfile.TemporaryDirectory() as folder:
        register = os.path.join(folder, 'db.mdb')
        ids = make_register(register)
        raw = run(register)
        check_lines(raw)
        got = parsed_events(raw)
        want = expected_events(ids)
        check(got == want, f'events differ:\n got {got}\nwant {want}')
        # A new site number keeps the site's events: importing again updates them.
        db = sqlite3.connect(register)
        db.execute("update t_webinfo set web_id='000009' where web_id='000003'")
        db.commit()
        db.close()
        again = parsed_events(run(register))
        check(set(again) == set(want), 'the UIDs stay when a site is renumbered')
    for failure in failures:
        print('FAIL:', failure)
    print(f'{0 if failures else 1} passed, {len(failures)} failed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
