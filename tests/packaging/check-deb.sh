#!/bin/sh
# check-deb.sh <cpack> <build dir> <work dir>: makes the Debian package of the
# build and checks that it holds what the installed game needs, nothing
# outside /usr, and dependencies worked out by dpkg-shlibdeps.
cpack=$1
build=$2
work=$3
for tool in dpkg-deb dpkg-shlibdeps file fakeroot; do
    command -v $tool >/dev/null 2>&1 || { echo "skipped: no $tool"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" || exit 1
if ! "$cpack" -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
set -- "$work"/zanta_*.deb
deb=$1
[ -f "$deb" ] || { echo "FAIL: no zanta_*.deb in $work"; exit 1; }
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')

fail=0
icons=""
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
    icons="$icons /usr/share/icons/hicolor/$size/apps/zanta.png /usr/share/icons/hicolor/$size/apps/zanta-net.png"
done
for path in /usr/games/Tavlin2 /usr/games/Tavlin2Net /usr/lib/games/zanta/libpub.so \
    /usr/lib/games/zanta/libplatform.so /usr/share/zanta/DeckArt.rcc \
    /usr/share/applications/zanta.desktop /usr/share/applications/zanta-net.desktop \
    /usr/share/metainfo/ru.tavlin.Zanta.metainfo.xml /usr/share/metainfo/ru.tavlin.ZantaNet.metainfo.xml \
    /usr/share/man/man6/Tavlin2.6.gz /usr/share/man/man6/Tavlin2Net.6.gz \
    /usr/share/doc/zanta/copyright /usr/share/doc/zanta/changelog.gz \
    /usr/share/icons/hicolor/scalable/apps/zanta.svg /usr/share/icons/hicolor/scalable/apps/zanta-net.svg \
    $icons; do
    printf '%s\n' "$contents" | grep -qx "$path" || { echo "FAIL: missing $path"; fail=1; }
done
stray=$(printf '%s\n' "$contents" | grep -v '^/usr/' | grep -vx '/')
[ -z "$stray" ] || { echo "FAIL: outside /usr: $stray"; fail=1; }
programs=$(printf '%s\n' "$contents" | grep -E '^/usr/(s?bin|games)/.' | tr '\n' ' ')
[ "$programs" = "/usr/games/Tavlin2 /usr/games/Tavlin2Net " ] || { echo "FAIL: programs $programs"; fail=1; }

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6widgets6 libqt6network6 libqt6multimedia6; do
    case $depends in *"$lib "*|*"$lib,"*|*"$lib") ;; *) echo "FAIL: Depends lacks $lib: $depends"; fail=1 ;; esac
done
[ $fail -eq 0 ] && echo "ok: $deb, Depends: $depends"
exit $fail
