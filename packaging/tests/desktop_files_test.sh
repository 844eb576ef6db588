#!/usr/bin/env bash
# The desktop entries, file types and icons are valid and agree with each
# other: every entry passes desktop-file-validate and names a shipped icon, a
# program of the suite and only file types the MIME file defines; the MIME
# file is well-formed XML (checked against the shared-mime-info schema where
# one is installed) and update-mime-database maps our extensions and the
# compiled-screen and Modbus-map magic to our types; every icon is SVG.
#   desktop_files_test.sh PACKAGING_DIR
set -euo pipefail
packaging=$(realpath "$1")
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in desktop-file-validate xmllint update-mime-database; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done

mime=$packaging/pellisor-tft.xml
xmllint --noout "$mime" || fail "$mime is not well-formed"
for schema in /usr/share/xml/shared-mime-info/shared-mime-info.rng \
    /usr/share/shared-mime-info/shared-mime-info.rng; do
    if [ -f "$schema" ]; then
        xmllint --noout --relaxng "$schema" "$mime" || fail "$mime does not match $schema"
    fi
done
types=$(xmllint --xpath '//*[local-name()="mime-type"]/@type' "$mime" | sed 's/.*type="\(.*\)"/\1/')

programs="orvane dunmere tessary glyphorn glimmett"
for program in $programs; do
    entry=$packaging/desktop/pellisor-tft-$program.desktop
    [ -f "$entry" ] || fail "no desktop entry for $program"
    desktop-file-validate "$entry" || fail "$entry does not validate"
    grep -qx "Exec=$program\( %[fF]\)\{0,1\}" "$entry" || fail "$entry does not start $program"
    grep -q '^Name\[zh_CN\]=' "$entry" || fail "$entry has no Chinese name"
    grep -q '^Comment\[zh_CN\]=' "$entry" || fail "$entry has no Chinese comment"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ "$(xmllint --xpath 'local-name(/*)' "$packaging/icons/$icon.svg" 2>/dev/null)" = svg ] ||
        fail "$entry names icon $icon, which is no SVG we ship"
    for type in $(sed -n 's/^MimeType=//p' "$entry" | tr ';' ' '); do
        grep -qx "$type" <<<"$types" || fail "$entry opens $type, which pellisor-tft.xml does not define"
    done
done
for pair in application/x-pellisor-tftprj:orvane application/x-pellisor-screen-info:dunmere \
    application/x-pellisor-modbus-map:tessary; do
    grep -q "^MimeType=.*${pair%%:*};" "$packaging/desktop/pellisor-tft-${pair##*:}.desktop" ||
        fail "${pair%%:*} does not open in ${pair##*:}"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/mime/packages"
cp "$mime" "$tmp/mime/packages/"
update-mime-database "$tmp/mime" 2>"$tmp/update.log" || fail "update-mime-database: $(cat "$tmp/update.log")"
if grep -v "is not in the search path\|XDG_DATA\|environment variables\|be able to find\|directories currently\|^- \|^$" "$tmp/update.log"; then
    fail "update-mime-database complained about pellisor-tft.xml"
fi
for glob in application/x-pellisor-tftprj:'*.tftprj' application/x-pellisor-screen-info:'*.si' \
    application/x-pellisor-modbus-map:'*.mbm'; do
    grep -qxF "50:$glob" "$tmp/mime/globs2" || fail "no glob $glob in the MIME database"
done
grep -qx " Orvane application/x-pellisor-tftprj" "$tmp/mime/XMLnamespaces" ||
    fail "projects are not known by their root element"
grep -q "application/x-pellisor-screen-info" "$tmp/mime/magic" || fail "no magic for compiled screens"
grep -q "application/x-pellisor-modbus-map" "$tmp/mime/magic" || fail "no magic for Modbus maps"
echo "desktop entries, icons and file types OK"
