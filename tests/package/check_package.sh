#!/usr/bin/env bash
# Checks a Debian package of Nollard: lintian finds no error, and the package
# holds the program folder, the commands, the system configuration as a
# configuration file, the maintainer scripts that make the group and the
# shared data folder, the dependencies that the linker cannot see, and
# stripped programs.
#   check_package.sh nollard_<version>_<arch>.deb
#   check_package.sh --build BUILD_DIR   (makes the package from that build first)
set -uo pipefail

for tool in lintian dpkg-deb cpack readelf; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ "${1:-}" = --build ]; then
  (cd "$2" && cpack --config CPackConfig.cmake -B "$work/out" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    echo "FAIL: cpack could not make the package"
    exit 1
  }
  deb=$(ls "$work"/out/nollard_*.deb)
else
  deb=$1
fi

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

echo "checking $deb"
if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1; then
  fail "lintian reports errors"
fi
cat "$work/lintian.txt"

dpkg-deb -c "$deb" | awk '{ path = $6; if ($7 == "->") path = path " -> " $8; print substr($1, 1, 1) " " $2 " " path }' \
  >"$work/contents"
has() {
  grep -qxF -- "$1" "$work/contents" || fail "the package lacks: $1"
}
has "- root/root ./usr/lib/nollard/nollard"
has "- root/root ./usr/lib/nollard/dbadmin"
has "- root/root ./usr/bin/nollard"
has "- root/root ./usr/bin/nollard-calc"
has "l root/root ./usr/bin/dbadmin -> ../lib/nollard/dbadmin"
has "- root/root ./usr/lib/nollard/db/sqlite.sql"
has "- root/root ./usr/lib/nollard/report/notice.frf"
has "- root/root ./usr/lib/nollard/help/htmlNollard用户手册.htm"
has "- root/root ./etc/nollard/config.ini"
has "- root/root ./usr/share/applications/nollard.desktop"
has "- root/root ./usr/share/icons/hicolor/scalable/apps/nollard.svg"
has "- root/root ./usr/share/doc/nollard/copyright"
has "- root/root ./usr/share/doc/nollard/changelog.gz"
# A configuration in the program folder would be read before the system's.
if grep -q '^. [^ ]* \./usr/lib/nollard/config' "$work/contents"; then
  fail "the program folder holds a configuration of its own"
fi
# Nothing of the data folder is shipped: the maintainer scripts own it.
if grep -q '\./var/' "$work/contents"; then
  fail "the package ships files under /var"
fi

dpkg-deb -e "$deb" "$work/control"
[ "$(cat "$work/control/conffiles" 2>/dev/null)" = "/etc/nollard/config.ini" ] \
  || fail "conffiles is not exactly /etc/nollard/config.ini"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "$script is missing or not executable"
  sh -n "$work/control/$script" || fail "$script is no valid shell script"
done
grep -q 'groupadd --system nollard' "$work/control/postinst" || fail "postinst does not make the group nollard"
grep -q 'chgrp nollard "$datadir"' "$work/control/postinst" || fail "postinst does not give the data folder to the group"
grep -q 'chmod 2775 "$datadir"' "$work/control/postinst" \
  || fail "postinst does not make the data folder group-writable and set-group-id"
grep -qx 'datadir=/var/lib/nollard' "$work/control/postinst" || fail "postinst names another data folder"
# Removing keeps the data; purging removes only an empty folder.
if grep -E 'rm -[a-zA-Z]*r|rm -rf' "$work/control/postrm" >/dev/null; then
  fail "postrm removes folders recursively"
fi
grep -q '\[ "$1" = purge \]' "$work/control/postrm" || fail "postrm touches the data folder on remove, not only on purge"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc tdsodbc qt6-translations-l10n \
  fonts-wqy-microhei libqt6widgets6 libqt6printsupport6; do
  echo "$depends" | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//' | grep -qx "$package" \
    || fail "Depends lacks $package"
done

dpkg-deb -x "$deb" "$work/root"
for program in usr/lib/nollard/nollard usr/lib/nollard/dbadmin usr/bin/nollard-calc; do
  if readelf -S "$work/root/$program" | grep -qE '\.symtab|\.debug_info'; then
    fail "$program is not stripped"
  fi
done
grep -qx 'Exec=nollard' "$work/root/usr/share/applications/nollard.desktop" || fail "the menu entry does not start nollard"
grep -qx 'Icon=nollard' "$work/root/usr/share/applications/nollard.desktop" || fail "the menu entry has no icon"
# The system configuration names the embedded file relative to the data folder.
grep -q '^Data Source=nollard.db' "$work/root/etc/nollard/config.ini" || fail "the configuration names another file"

if [ "$failures" -gt 0 ]; then
  echo "$failures problems in $deb"
  exit 1
fi
echo "the package is sound"
