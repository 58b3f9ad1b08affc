#!/bin/bash
# Opens one export of each format in LibreOffice (headless), saves what it read
# and checks that every cell, Chinese included, comes back unchanged.
# Usage: libreoffice_roundtrip.sh <export_cli>. Exit code 77: LibreOffice or python3 missing.
set -u

cli=${1:?usage: libreoffice_roundtrip.sh <export_cli>}
if ! command -v soffice >/dev/null 2>&1; then
    echo "soffice is not installed: round trip skipped"
    exit 77
fi
if ! command -v python3 >/dev/null 2>&1; then
    echo "python3 is not installed: round trip skipped"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
profile="-env:UserInstallation=file://$work/profile"
# Calc's CSV filter: separator, quote, character set (76 UTF-8, 85 GB18030), first line,
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
    if ! "$cli" "$kind" "$work/grid.$kind" "$work/$kind.json"; then
        echo "FAIL $kind: the export failed"
        status=1
        continue
    fi
    case $kind in
    xls) convert "" "$to_csv" "$work/grid.xls" ;;
    csv) convert "Text - txt - csv (StarCalc):59,34,85,1,,0,true,false" "$to_csv" "$work/grid.csv" ;;
    txt) convert "Text - txt - csv (StarCalc):9,0,85,1,1/2/2/2/3/2/4/2/5/2/6/2,0,false,false" "$to_csv" \
        "$work/grid.txt" ;;
    htm) convert "HTML (StarCalc)" "$to_csv" "$work/grid.htm" ;;
    rtf) convert "" "odt" "$work/grid.rtf" ;;
    esac
    read_back="$work/out/grid.csv"
    [ "$kind" = rtf ] && read_back="$work/out/grid.odt"
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
