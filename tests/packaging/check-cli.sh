#!/bin/sh
# check-cli.sh <version> <program>...: --help and --version answer without a
# display and end with status 0; a wrong option ends with a message on the
# standard error and a non-zero status.
version=$1
shift
fail=0
bad() { echo "FAIL: $*"; fail=1; }
for program in "$@"; do
    name=$(basename "$program")
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --help) || bad "$name --help: status $?"
    case $out in
    "Usage: $name "*--help*--version*) ;;
    *) bad "$name --help printed: $out" ;;
    esac
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version) || bad "$name --version: status $?"
    [ "$out" = "$name $version" ] || bad "$name --version printed: $out"
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --no-such-option 2>&1 >/dev/null)
    status=$?
    [ $status -ne 0 ] || bad "$name --no-such-option: status 0"
    case $err in
    *no-such-option*"$name --help"*) ;;
    *) bad "$name --no-such-option said: $err" ;;
    esac
done
[ $fail -eq 0 ] && echo "ok: $*"
exit $fail
