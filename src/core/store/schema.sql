PRAGMA user_version = 2;
CREATE TABLE t_webinfo (
    id                INTEGER PRIMARY KEY AUTOINCREMENT,
    web_id            TEXT NOT NULL UNIQUE COLLATE NOCASE,
    web_name          TEXT,
    web_address       TEXT UNIQUE COLLATE NOCASE,
    web_login         TEXT,
    web_user          BLOB,
    web_pass          BLOB,
    web_ip            TEXT,
    web_size          TEXT,
    web_domain        TEXT,
    web_domainuser    BLOB,
    web_domainpass    BLOB,
    web_linkman       TEXT,
    web_dbname        BLOB,
    web_dbsize        TEXT,
    web_dbip          BLOB,
    web_dbuser        BLOB,
    web_dbpass        BLOB,
    web_dbtype        TEXT,
    web_time          TEXT CHECK (web_time IS NULL OR web_time IS date(web_time, '+0 days')),
    web_endtime       TEXT CHECK (web_endtime IS NULL OR web_endtime IS date(web_endtime, '+0 days')),
    web_domaintime    TEXT CHECK (web_domaintime IS NULL OR web_domaintime IS date(web_domaintime, '+0 days')),
    web_enddomaintime TEXT CHECK (web_enddomaintime IS NULL OR web_enddomaintime IS date(web_enddomaintime, '+0 days')),
    web_remark        TEXT,
    version           INTEGER NOT NULL DEFAULT 1
) STRICT;
CREATE TABLE t_set (
    web_alarm    INTEGER,
    domain_alarm INTEGER
) STRICT;
INSERT INTO t_set (web_alarm, domain_alarm) VALUES (3, 3);
