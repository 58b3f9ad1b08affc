#!/bin/bash
# Opens one export of each format in LibreOffice (headless), saves what it read
# and checks that every cell, Chinese and the euro sign included, comes back unchanged,
# and that the page's titles stand out from their background. First the formats that
# keep only code page 936 must refuse a name beyond it and leave no file.
# Usage: libreoffice_roundtrip.sh <export_cli>. Exit code 77: LibreOffice or python3 missing,
# a failure instead when CORVANE_REQUIRE_ROUNDTRIP is set (as CI does).
set -u

cli=${1:?usage: libreoffice_roundtrip.sh <export_cli>}
for tool in soffice python3; do
    if ! command -v $tool >/dev/null 2>&1; then
        if [ -n "${CORVANE_REQUIRE_ROUNDTRIP:-}" ]; then
            echo "FAIL: $tool is not installed, and the round trip is required"
            exit 1
        fi
        echo "$tool is not installed: round trip skipped"
        exit 77
    fi
done

# The exporter builds the program's own grid to take its look from, on no screen.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
profile="-env:UserInstallation=file://$work/profile"
# Calc's CSV filter: separator, quote, character set (76 UTF-8, 61 Windows-936), first line,
# column formats, language, quoted fields as text, special numbers, cells as shown.
to_csv='csv:Text - txt - csv (StarCalc):44,34,76,1,,0,true,true,true'

convert() { # <input filter or ""> <target> <file>
    local filter=()
    [ -n "$1" ] && filter=(--infilter="$1")
    timeout 300 soffice --headless "$profile" "${filter[@]}" --convert-to "$2" --outdir "$work/out" "$3" \
        >"$work/soffice.log" 2>&1
}

status=0
for kind in xls csv htm rtf txt; do
    only=()
    case $kind in
    xls | csv | txt)
        "$cli" "$kind" "$work/grid.$kind" "$work/$kind.json" 2>"$work/cli.log"
        refused=$?
        if [ $refused -ne 3 ] || [ -e "$work/grid.$kind" ]; then
            echo "FAIL $kind: a name beyond code page 936 was not refused (exit $refused)"
            status=1
        fi
        only=(--gbk-only)
        ;;
    esac
    if ! "$cli" "$kind" "$work/grid.$kind" "$work/$kind.json" "${only[@]}"; then
        echo "FAIL $kind: the export failed"
        status=1
        continue
    fi
    case $kind in
    xls) convert "" "$to_csv" "$work/grid.xls" ;;
    csv) convert "Text - txt - csv (StarCalc):59,34,61,1,,0,true,false" "$to_csv" "$work/grid.csv" ;;
    txt) convert "Text - txt - csv (StarCalc):9,0,61,1,1/2/2/2/3/2/4/2/5/2/6/2,0,false,false" "$to_csv" \
        "$work/grid.txt" ;;
    # The page as a browser-like reader lays it out, colours included.
    htm | rtf) convert "" "odt" "$work/grid.$kind" ;;
    esac
    read_back="$work/out/grid.csv"
    case $kind in htm | rtf) read_back="$work/out/grid.odt" ;; esac
    if [ ! -s "$read_back" ]; then
        echo "FAIL $kind: LibreOffice produced nothing"
        cat "$work/soffice.log"
        status=1
        continue
    fi
    if python3 "$(dirname "$0")/roundtrip_check.py" "$kind" "$work/$kind.json" "$read_back"; then
        echo "ok   $kind"
    else
        status=1
    fi
    rm -f "$work/out/"*
done
exit $status
