#!/usr/bin/env bash
# The installed suite works on its own: installs the build into a temporary
# DESTDIR, checks the tree (programs, libraries, data, launchers, desktop
# files, icons, file types, man pages; RUNPATH and no path into the source or
# build tree), then, with the source and build trees hidden behind empty
# folders in a mount namespace, runs the installed programs through their
# launchers: every --help and --version, velmic on the showcase, orvane --build
# (also with a per-user catalogue, which it must read first) and dunmere
# --headless with the demo script, whose screenshots must equal the guide's
# stored pictures. A missing data file must be named. Last, an install into a prefix that cannot be
# written fails and leaves no launcher behind.
#
#   install_test.sh SOURCE_DIR BUILD_DIR VERSION MAN(ON|OFF)
# Exit status 77 (skipped) when no mount namespace can be made.
set -euo pipefail

if [ "${1:-}" = "--hidden" ]; then
    # Second stage, inside the namespace: the trees are hidden already.
    shift
    root=$1 work=$2 version=$3
    export PATH="$root/bin:/usr/bin:/bin"
    export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
    export QT_QPA_PLATFORM=offscreen
    cd "$work"
    for program in orvane velmic dunmere tessary glyphorn glimmett; do
        command -v "$program" | grep -qx "$root/bin/$program" ||
            { echo "FAIL: $program is not the installed launcher" >&2; exit 1; }
        "$program" --help >"help-$program.txt" ||
            { echo "FAIL: $program --help exited $?" >&2; exit 1; }
        grep -q "Exit status" "help-$program.txt" ||
            { echo "FAIL: $program --help names no exit status" >&2; exit 1; }
        [ "$("$program" --version)" = "$program $version" ] ||
            { echo "FAIL: $program --version says '$("$program" --version)'" >&2; exit 1; }
    done
    velmic -p showcase-velmic/showcase.tftprj -l 1 >velmic.log ||
        { cat velmic.log; echo "FAIL: velmic did not compile the showcase" >&2; exit 1; }
    for file in showcase.si showcase.gwb showcase.graidx showcase.pwi showcase.tftres DefineID.h; do
        [ -s "showcase-velmic/output/$file" ] || { echo "FAIL: velmic wrote no $file" >&2; exit 1; }
    done
    orvane --build showcase/showcase.tftprj -l 1 >orvane.log ||
        { cat orvane.log; echo "FAIL: orvane --build failed" >&2; exit 1; }
    for file in showcase.si showcase.fidx showcase.fbin showcase.sbin hmi_driver.c; do
        [ -s "showcase/output/$file" ] || { echo "FAIL: orvane --build wrote no $file" >&2; exit 1; }
    done
    # Per-user changes (here the font configuration's mask, as the IDE writes it
    # when the application folder is read-only) are read before the shipped file:
    # with only font 0 chosen for the panel model of both projects (the 5"
    # model) the font pack shrinks.
    mkdir -p "$XDG_CONFIG_HOME/Pellisor/Orvane"
    sed '/TypeID="3"/s/SystemFontMask="[0-9]*"/SystemFontMask="1"/' "$root/lib/pellisor-tft/DeviceInfo.xml" \
        >"$XDG_CONFIG_HOME/Pellisor/Orvane/DeviceInfo.xml"
    orvane --build minimal/minimal.tftprj -l 1 >orvane-user.log ||
        { cat orvane-user.log; echo "FAIL: orvane --build failed with a per-user catalogue" >&2; exit 1; }
    [ "$(stat -c %s minimal/output/minimal.fbin)" -lt "$(stat -c %s showcase/output/showcase.fbin)" ] ||
        { echo "FAIL: the per-user font mask was not read first" >&2; exit 1; }
    rm -r "$XDG_CONFIG_HOME/Pellisor"
    dunmere --headless showcase/output/showcase.si --script demo.txt >dunmere.log 2>&1 ||
        { cat dunmere.log; echo "FAIL: the demo script failed" >&2; exit 1; }
    exit 0
fi

source_dir=$(realpath "$1")
build_dir=$(realpath "$2")
version=$3
man=$4
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

tmp=$(mktemp -d /tmp/pellisor-install.XXXXXX)
trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
prefix=/opt/pellisor-tft
root=$tmp/dest$prefix
app=$root/lib/pellisor-tft

# The build's application folder as it is before the install (other tests may
# add files to it while this one runs).
(cd "$build_dir/app" && find . -type f ! -name '*.actual.png') >"$tmp/app-files"

# --strip: the debug sections name the compiler's working folders, which a
# package leaves out as well.
DESTDIR=$tmp/dest cmake --install "$build_dir" --prefix "$prefix" --strip >"$tmp/install.log" ||
    { cat "$tmp/install.log"; fail "cmake --install failed"; }

# A build configured for the Debian package (scripts/package) links the Chinese
# face relative to /usr; under this test's prefix the link is put back to the file.
font_link=$app/fonts/wqy-zenhei.ttc
if [ -L "$font_link" ]; then
    [ "$(readlink "$font_link")" = ../../../share/fonts/truetype/wqy/wqy-zenhei.ttc ] ||
        fail "the Chinese font links to $(readlink "$font_link")"
    cp --remove-destination "$build_dir/app/fonts/wqy-zenhei.ttc" "$font_link"
fi

programs=(orvane velmic dunmere tessary glyphorn glimmett)
for program in "${programs[@]}"; do
    [ -x "$app/$program" ] || fail "$app/$program is not installed"
    link=$(readlink "$root/bin/$program") || fail "no launcher $root/bin/$program"
    [ "$link" = "../lib/pellisor-tft/$program" ] || fail "launcher $program points at $link"
done
for library in libnimbrel.so libhaldrun.so; do
    [ -f "$app/$library" ] || fail "$library is not installed"
done
for binary in "${programs[@]}" libnimbrel.so libhaldrun.so; do
    runpath=$(readelf -d "$app/$binary" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p')
    [ "$runpath" = '$ORIGIN' ] || fail "$binary has run path '$runpath', not \$ORIGIN"
done
# Every data file the build tree's application folder has, the installed one has.
while read -r file; do
    [ -e "$app/$file" ] || fail "the application folder lacks $file"
done <"$tmp/app-files"
for file in DeviceInfo.xml lang/chinese.xml font/fonts.xml EditConfig/SyntaxEdit.ini \
    hmi_driver/hmi_driver.c fonts/wqy-zenhei.ttc docs/guide.md; do
    [ -s "$app/$file" ] || fail "the application folder lacks $file"
done
for program in orvane dunmere tessary glyphorn glimmett; do
    [ -f "$root/share/applications/pellisor-tft-$program.desktop" ] || fail "no desktop entry for $program"
    [ -f "$root/share/icons/hicolor/scalable/apps/pellisor-tft-$program.svg" ] || fail "no icon for $program"
done
[ -f "$root/share/mime/packages/pellisor-tft.xml" ] || fail "no file types"
[ -f "$root/share/doc/pellisor-tft/copyright" ] || fail "no copyright file"
if [ "$man" = ON ]; then
    for program in "${programs[@]}"; do
        page=$root/share/man/man1/$program.1.gz
        [ -s "$page" ] || fail "no man page for $program"
        zcat "$page" | grep -q '^\.SH "EXIT STATUS"\|^\.SH EXIT' || fail "$program's man page has no exit status"
    done
fi
# Nothing installed names the source or the build tree.
if grep -rlF -e "$source_dir" -e "$build_dir" "$root" >"$tmp/refs"; then
    fail "installed files name the source or build tree: $(tr '\n' ' ' <"$tmp/refs")"
fi

# Inputs for the run, copied before the trees are hidden.
work=$tmp/work
mkdir -p "$work/home" "$work/config" "$work/data" "$work/screens" "$work/golden"
cp -r "$source_dir/examples/showcase" "$work/showcase"
cp -r "$source_dir/examples/showcase" "$work/showcase-velmic"
cp -r "$source_dir/examples/minimal" "$work/minimal"
cp "$source_dir"/docs/images/showcase-*.png "$work/golden/"
sed "s|build/screens/|$work/screens/|" "$source_dir/examples/showcase/demo.txt" >"$work/demo.txt"
cp "$0" "$tmp/install_test.sh"

hide="mount -t tmpfs -o size=1m tmpfs '$source_dir'"
case "$build_dir/" in
"$source_dir"/*) ;;
*) hide="$hide && mount -t tmpfs -o size=1m tmpfs '$build_dir'" ;;
esac
if ! unshare --mount --propagation private true 2>/dev/null; then
    echo "SKIPPED: no mount namespace to hide the build tree in" >&2
    exit 77
fi
(cd "$tmp" && unshare --mount --propagation private bash -c "$hide &&
    [ ! -e '$source_dir/CMakeLists.txt' ] && [ ! -e '$build_dir/app' ] &&
    exec bash '$tmp/install_test.sh' --hidden '$root' '$work' '$version'") ||
    fail "the installed programs did not work with the trees hidden"

# The demo's screenshots are the guide's pictures; the gauges screen shows the
# PC's clock, which is left out of the comparison.
for shot in "$work"/golden/*.png; do
    name=$(basename "$shot")
    actual=$work/screens/$name
    [ -f "$actual" ] || fail "the demo took no $name"
    mask=(-fill black -draw "rectangle 620,60 789,83")
    [ "$name" = showcase-5-gauges.png ] || mask=()
    convert "$actual" "${mask[@]}" -alpha off "$tmp/a.png"
    convert "$shot" "${mask[@]}" -alpha off "$tmp/b.png"
    differing=$(compare -metric AE "$tmp/a.png" "$tmp/b.png" null: 2>&1) || true
    [ "$differing" = 0 ] || fail "$name differs from the stored picture in $differing pixels"
done

# An application folder that lacks a data file: the program names the file.
mv "$app/DeviceInfo.xml" "$tmp/DeviceInfo.xml"
if "$root/bin/velmic" -p "$work/showcase-velmic/showcase.tftprj" >"$tmp/missing.log" 2>&1; then
    fail "velmic compiled without DeviceInfo.xml"
fi
grep -qF "$app/DeviceInfo.xml" "$tmp/missing.log" ||
    fail "velmic without DeviceInfo.xml does not name it: $(cat "$tmp/missing.log")"
mv "$tmp/DeviceInfo.xml" "$app/DeviceInfo.xml"

# A prefix that cannot be written: the installer says so, and no launcher
# appears that would start a program over a half-installed folder. (The test
# runs as root, for whom permissions do not stop a write, so a file stands
# where the application folder's parent must go.)
bad=$tmp/bad
mkdir -p "$bad/bin"
touch "$bad/lib"
if DESTDIR="" cmake --install "$build_dir" --prefix "$bad" >"$tmp/bad.log" 2>&1; then
    fail "an install over an unusable prefix reported success"
fi
grep -q "lib/pellisor-tft" "$tmp/bad.log" || fail "the installer's message names no folder: $(cat "$tmp/bad.log")"
[ -z "$(ls -A "$bad/bin")" ] || fail "a failed install left launchers: $(ls "$bad/bin")"

echo "installed tree OK: $(find "$root" -type f | wc -l) files"
