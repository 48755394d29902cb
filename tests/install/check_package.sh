#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the Debian package that scripts/package.sh makes: what it holds, its control fields,
# desktop entry, file type, icon, copyright and changelog, AppStream metadata and manual pages
# (against the program's --help, with check_usage.sh); then installs it with apt-get, runs the
# installed programs, and removes it again (unless --keep, or it was installed before).
#
# Usage: check_package.sh DEB EXPECTED_RUN_LIST [--keep]
#   EXPECTED_RUN_LIST  the run list of the sample levelling_m5.DAT at class II,
#                      tests/cli/expected/levelling_m5.class2.txt
# Installing needs root (or sudo). Tools that are missing (desktop-file-validate, appstreamcli,
# man, update-mime-database, xdg-mime) skip their checks with a note.
set -u

if [ $# -lt 2 ]; then
  echo "usage: $0 DEB EXPECTED_RUN_LIST [--keep]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
deb=$(realpath "$1")
expected=$(realpath "$2")
keep=${3:-}
[ -f "$deb" ] || { echo "no such package: $1" >&2; exit 2; }
[ -f "$expected" ] || { echo "no such file: $2" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); }
skip() { echo "skipped: $*"; }
have() { command -v "$1" >/dev/null 2>&1; }

package=velmora-tesk
mime_type=application/x-velmora-fieldbook
examples=/usr/share/doc/velmora-tesk/examples

# ---- What the package holds.
dpkg-deb -c "$deb" >"$work/contents" || { echo "FAIL: dpkg-deb cannot read $deb"; exit 1; }
for path in \
    ./usr/bin/velmora-tesk \
    ./usr/bin/velmora-tesk-cli \
    ./usr/share/applications/velmora-tesk.desktop \
    ./usr/share/icons/hicolor/scalable/apps/velmora-tesk.svg \
    ./usr/share/mime/packages/velmora-tesk-fieldbook.xml \
    ./usr/share/man/man1/velmora-tesk.1.gz \
    ./usr/share/man/man1/velmora-tesk-cli.1.gz \
    ./usr/share/doc/velmora-tesk/examples/levelling_m5.DAT \
    ./usr/share/doc/velmora-tesk/examples/plain_layout.DAT \
    ./usr/share/doc/velmora-tesk/copyright \
    ./usr/share/doc/velmora-tesk/changelog.Debian.gz \
    ./usr/share/metainfo/example.velmora.tesk.metainfo.xml \
    ./usr/share/lintian/overrides/velmora-tesk; do
  check
  awk '{print $6}' "$work/contents" | grep -qxF "$path" || fail "$path is not in the package"
done

# Everything under /usr, owned by root, with the modes dpkg expects whatever the builder's
# umask: 0755 for folders and programs, 0644 for the rest.
check
awk '$6 != "./" && $6 !~ /^\.\/usr\// {print $6}' "$work/contents" | grep . >"$work/outside" &&
  fail "files outside /usr: $(tr '\n' ' ' <"$work/outside")"
check
awk '$2 != "root/root" {print $6}' "$work/contents" | grep . >"$work/owners" &&
  fail "not owned by root: $(tr '\n' ' ' <"$work/owners")"
check
awk '{ want = "-rw-r--r--"
       if ($1 ~ /^d/ || $6 ~ /^\.\/usr\/bin\//) want = ($1 ~ /^d/ ? "d" : "-") "rwxr-xr-x"
       if ($1 != want) print $1, $6 }' "$work/contents" >"$work/modes"
[ -s "$work/modes" ] && fail "wrong modes: $(tr '\n' ';' <"$work/modes")"

# ---- Control fields: name, version, and a Depends line computed from the programs.
check
[ "$(dpkg-deb -f "$deb" Package)" = "$package" ] || fail "package name is $(dpkg-deb -f "$deb" Package)"
version=$(dpkg-deb -f "$deb" Version)
check
[[ "$version" == 1.0-* ]] || fail "version is $version, not 1.0-N"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libqt6widgets6 libxlsxwriter; do
  check
  [[ "$depends" == *"$library"* ]] || fail "Depends does not name $library"
done
check
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qE 'postinst|prerm|postrm|preinst' &&
  fail "the package has maintainer scripts"

# ---- Desktop entry, file type and icon, from the unpacked package.
dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share
desktop=$share/applications/velmora-tesk.desktop
xml=$share/mime/packages/velmora-tesk-fieldbook.xml
if have desktop-file-validate; then
  check
  desktop-file-validate "$desktop" >"$work/validate" 2>&1 || fail "desktop-file-validate: $(cat "$work/validate")"
else
  skip "desktop-file-validate (package desktop-file-utils) is not installed"
fi
program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
check
[ -n "$program" ] && [ -x "$work/root/usr/bin/$program" ] || fail "Exec=$program is no program of the package"
icon=$(sed -n 's/^Icon=//p' "$desktop")
check
compgen -G "$share/icons/hicolor/*/apps/$icon.*" >/dev/null || fail "no icon named Icon=$icon in hicolor"
desktop_types=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' ')
check
[[ " $desktop_types " == *" $mime_type "* ]] || fail "the desktop entry does not open $mime_type"
if have python3; then
  for file in "$xml" "$share/icons/hicolor/scalable/apps/velmora-tesk.svg"; do
    check
    python3 -c 'import sys, xml.etree.ElementTree as t; t.parse(sys.argv[1])' "$file" 2>"$work/xml" ||
      fail "$(basename "$file") is not well-formed XML: $(tail -1 "$work/xml")"
  done
fi
if have update-mime-database; then
  # The file type as the MIME database reads it: the instrument's upper-case suffix as a weak,
  # case-sensitive hint, and no claim on every other .dat (tests/install/check_filetype.sh
  # checks the content rules).
  mkdir -p "$work/mime/packages"
  cp "$xml" "$work/mime/packages/"
  update-mime-database "$work/mime" >/dev/null 2>"$work/umd"
  check
  grep -qxF "10:$mime_type:*.DAT:cs" "$work/mime/globs2" 2>/dev/null ||
    fail "the MIME database does not map *.DAT (case-sensitive, weight 10) to $mime_type: $(head -1 "$work/umd")"
  check
  awk -F: -v type="$mime_type" '$2 == type && $3 != "*.DAT"' "$work/mime/globs2" >"$work/globs" 2>/dev/null
  [ -s "$work/globs" ] && fail "the MIME database has other globs for $mime_type: $(tr '\n' ' ' <"$work/globs")"
else
  skip "update-mime-database (package shared-mime-info) is not installed"
fi

# ---- Licence, changelog and the software centres' metadata.
check
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  "$share/doc/velmora-tesk/copyright" || fail "copyright is not in the machine-readable format"
check
zcat "$share/doc/velmora-tesk/changelog.Debian.gz" >"$work/changelog" 2>&1
changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version 2>&1)
[ "$changelog_version" = "$version" ] ||
  fail "changelog.Debian.gz names version $changelog_version, the package $version"
if have appstreamcli; then
  check
  appstreamcli validate --no-net "$share/metainfo/example.velmora.tesk.metainfo.xml" >"$work/appstream" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/appstream")"
  check
  grep -q '<launchable type="desktop-id">velmora-tesk.desktop</launchable>' \
    "$share/metainfo/example.velmora.tesk.metainfo.xml" || fail "the metadata does not launch velmora-tesk.desktop"
else
  skip "appstreamcli (package appstream) is not installed"
fi

# ---- Manual pages: valid gzip, no troff warnings, and the command-line page documents every
# command, option and exit status that the program's --help names.
for page in velmora-tesk velmora-tesk-cli; do
  file=$share/man/man1/$page.1.gz
  check
  gzip -t "$file" 2>/dev/null || fail "$page.1.gz is not gzip"
  if have man; then
    check
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>"$work/warnings" >/dev/null
    [ -s "$work/warnings" ] && fail "$page.1: $(cat "$work/warnings")"
  fi
done
[ -n "$(have man && echo yes)" ] || skip "man (package man-db) is not installed: pages not rendered"

# ---- Installing.
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
installed_before=no
dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' && installed_before=yes
install_package() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends --reinstall "$deb"
}
check
if ! install_package >"$work/apt" 2>&1; then
  # The package lists may be missing or stale for its dependencies.
  $sudo apt-get update -qq >/dev/null 2>&1
  install_package >"$work/apt" 2>&1 || { fail "apt-get install: $(tail -5 "$work/apt")"; echo "$((checks - failures)) passed, $failures failed"; exit 1; }
fi
echo "installed $package $version"

check
[ "$(/usr/bin/velmora-tesk-cli --version)" = "Velmora Tesk 1.0" ] ||
  fail "--version printed $(/usr/bin/velmora-tesk-cli --version 2>&1)"
check
/usr/bin/velmora-tesk-cli runs "$examples/levelling_m5.DAT" >"$work/runs" 2>"$work/err" ||
  fail "runs on the installed sample failed: $(cat "$work/err")"
check
[ "$(wc -l <"$work/runs")" = 8 ] || fail "runs printed $(wc -l <"$work/runs") lines, not 8"
check
cmp -s "$work/runs" "$expected" || fail "run list of the installed sample differs: $(diff "$work/runs" "$expected")"

# The manual page against the installed program's own usage.
check
bash "$here/check_usage.sh" /usr/bin/velmora-tesk-cli /usr/share/man/man1/velmora-tesk-cli.1.gz \
  >"$work/usage" 2>&1 || fail "$(cat "$work/usage")"

if have man; then
  check
  [ "$(man -w velmora-tesk-cli 2>&1)" = /usr/share/man/man1/velmora-tesk-cli.1.gz ] ||
    fail "man -w velmora-tesk-cli: $(man -w velmora-tesk-cli 2>&1)"
fi

# Every library of the window is there, and the installed window starts and keeps running
# on the sample until it is stopped.
check
ldd /usr/bin/velmora-tesk | grep 'not found' >"$work/missing" && fail "missing libraries: $(cat "$work/missing")"
check
QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/velmora-tesk "$examples/levelling_m5.DAT" >"$work/window" 2>&1
status=$?
[ "$status" = 124 ] || fail "the installed window ended with status $status before it was stopped: $(tail -3 "$work/window")"

# Debian's triggers, not scripts of ours, register the file type and the desktop entry.
if have update-mime-database; then
  check
  grep -qxF "10:$mime_type:*.DAT:cs" /usr/share/mime/globs2 || fail "the system MIME database does not know $mime_type"
fi
if have update-desktop-database; then
  check
  grep -q "^$mime_type=.*velmora-tesk.desktop" /usr/share/applications/mimeinfo.cache ||
    fail "mimeinfo.cache does not map $mime_type to velmora-tesk.desktop"
  if have xdg-mime; then
    check
    default=$(XDG_CURRENT_DESKTOP='' xdg-mime query default "$mime_type" 2>&1)
    [ "$default" = velmora-tesk.desktop ] || fail "xdg-mime query default $mime_type: $default"
  fi
fi

# ---- Removing what this check installed.
if [ "$keep" != --keep ] && [ "$installed_before" = no ]; then
  check
  DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq "$package" >"$work/apt" 2>&1 ||
    fail "apt-get remove: $(tail -5 "$work/apt")"
  check
  [ ! -e /usr/bin/velmora-tesk-cli ] && [ ! -e /usr/share/applications/velmora-tesk.desktop ] ||
    fail "files left behind after removal"
  if have update-mime-database; then
    check
    grep -q "$mime_type" /usr/share/mime/globs2 && fail "the MIME database still knows $mime_type after removal"
  fi
  echo "removed $package again"
else
  echo "left $package installed"
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
