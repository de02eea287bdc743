#!/bin/sh
# check-metadata.sh <desktop entries and metainfo files>: Debian's validators
# pass on every desktop entry and every AppStream file.
for tool in desktop-file-validate appstreamcli; do
    command -v $tool >/dev/null 2>&1 || { echo "skipped: no $tool"; exit 77; }
done
fail=0
for f in "$@"; do
    case $f in
    *.desktop) desktop-file-validate "$f" || { echo "FAIL: $f"; fail=1; } ;;
    *.xml) appstreamcli validate --no-net --explain "$f" || { echo "FAIL: $f"; fail=1; } ;;
    esac
done
[ $fail -eq 0 ] && echo "ok: $*"
exit $fail
