#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks the two Debian packages that scripts/package.sh makes: velmora-tesk-cli (the tool, no
# Qt) and velmora-tesk (the window, depending on it). What each holds, their control fields,
# desktop entry, file type, icon, copyright and changelog, AppStream metadata, manual pages
# (against the program's --help, with check_usage.sh) and bash completion
# (check_completion.sh); then installs the tool's package alone with apt-get, runs the tool,
# adds the window's, runs the window, and removes both again (unless --keep, or they were
# installed before).
#
# Usage: check_package.sh CLI_DEB WINDOW_DEB EXPECTED_RUN_LIST [--keep]
#   EXPECTED_RUN_LIST  the run list of the sample levelling_m5.DAT at class II,
#                      tests/cli/expected/levelling_m5.class2.txt
# Installing needs root (or sudo). Tools that are missing (desktop-file-validate, appstreamcli,
# man, update-mime-database, gio, xdg-mime) skip their checks with a note.
set -u
# The messages compared below are the English ones.
export LC_ALL=C
unset LANGUAGE

if [ $# -lt 3 ]; then
  echo "usage: $0 CLI_DEB WINDOW_DEB EXPECTED_RUN_LIST [--keep]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$1" ] || { echo "no such package: $1" >&2; exit 2; }
[ -f "$2" ] || { echo "no such package: $2" >&2; exit 2; }
[ -f "$3" ] || { echo "no such file: $3" >&2; exit 2; }
cli_deb=$(realpath "$1")
window_deb=$(realpath "$2")
expected=$(realpath "$3")
keep=${4:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); }
skip() { echo "skipped: $*"; }
have() { command -v "$1" >/dev/null 2>&1; }

cli_package=velmora-tesk-cli
window_package=velmora-tesk
app_id=org.velmora.tesk
mime_type=application/x-velmora-fieldbook
examples=/usr/share/doc/velmora-tesk-cli/examples
completion=/usr/share/bash-completion/completions/velmora-tesk-cli

# ---- What each package holds, and nothing twice.
holds() {  # holds NAME PATH...: the package NAME (cli, window) holds every PATH
  local name=$1 path
  shift
  for path in "$@"; do
    check
    awk '{print $6}' "$work/$name.contents" | grep -qxF "$path" || fail "$path is not in $name"
  done
}
dpkg-deb -c "$cli_deb" >"$work/cli.contents" || { echo "FAIL: dpkg-deb cannot read $cli_deb"; exit 1; }
dpkg-deb -c "$window_deb" >"$work/window.contents" || { echo "FAIL: dpkg-deb cannot read $window_deb"; exit 1; }
holds cli \
    ./usr/bin/velmora-tesk-cli \
    ./usr/share/man/man1/velmora-tesk-cli.1.gz \
    ".$completion" \
    ./usr/share/doc/velmora-tesk-cli/examples/levelling_m5.DAT \
    ./usr/share/doc/velmora-tesk-cli/examples/plain_layout.DAT \
    ./usr/share/doc/velmora-tesk-cli/examples/leica_dna03.gsi \
    ./usr/share/doc/velmora-tesk-cli/examples/SOURCES.md \
    ./usr/share/lintian/overrides/velmora-tesk-cli \
    ./usr/share/locale/ru/LC_MESSAGES/velmora-tesk.mo \
    ./usr/share/doc/velmora-tesk-cli/copyright \
    ./usr/share/doc/velmora-tesk-cli/changelog.Debian.gz
holds window \
    ./usr/bin/velmora-tesk \
    ./usr/share/applications/$app_id.desktop \
    ./usr/share/icons/hicolor/scalable/apps/velmora-tesk.svg \
    ./usr/share/mime/packages/velmora-tesk-fieldbook.xml \
    ./usr/share/man/man1/velmora-tesk.1.gz \
    ./usr/share/doc/velmora-tesk/copyright \
    ./usr/share/doc/velmora-tesk/changelog.Debian.gz \
    ./usr/share/metainfo/$app_id.metainfo.xml
check
awk '$1 !~ /^d/ {print $6}' "$work/cli.contents" "$work/window.contents" | sort | uniq -d >"$work/twice"
[ -s "$work/twice" ] && fail "files in both packages: $(tr '\n' ' ' <"$work/twice")"

for name in cli window; do
  contents=$work/$name.contents
  # Everything under /usr, owned by root, with the modes dpkg expects whatever the builder's
  # umask: 0755 for folders and programs, 0644 for the rest.
  check
  awk '$6 != "./" && $6 !~ /^\.\/usr\// {print $6}' "$contents" | grep . >"$work/outside" &&
    fail "$name: files outside /usr: $(tr '\n' ' ' <"$work/outside")"
  check
  awk '$2 != "root/root" {print $6}' "$contents" | grep . >"$work/owners" &&
    fail "$name: not owned by root: $(tr '\n' ' ' <"$work/owners")"
  check
  awk '{ want = "-rw-r--r--"
         if ($1 ~ /^d/ || $6 ~ /^\.\/usr\/bin\//) want = ($1 ~ /^d/ ? "d" : "-") "rwxr-xr-x"
         if ($1 != want) print $1, $6 }' "$contents" >"$work/modes"
  [ -s "$work/modes" ] && fail "$name: wrong modes: $(tr '\n' ';' <"$work/modes")"
done

# ---- Control fields: names, one version, Depends computed from the programs; the tool needs
# no Qt and no X, the window needs Qt and the tool of its own version.
check
[ "$(dpkg-deb -f "$cli_deb" Package)" = "$cli_package" ] || fail "the tool's package is $(dpkg-deb -f "$cli_deb" Package)"
check
[ "$(dpkg-deb -f "$window_deb" Package)" = "$window_package" ] || fail "the window's package is $(dpkg-deb -f "$window_deb" Package)"
version=$(dpkg-deb -f "$cli_deb" Version)
check
[[ "$version" == 1.0-* ]] || fail "version is $version, not 1.0-N"
check
[ "$(dpkg-deb -f "$window_deb" Version)" = "$version" ] ||
  fail "the window's package has version $(dpkg-deb -f "$window_deb" Version), the tool's $version"
cli_depends=$(dpkg-deb -f "$cli_deb" Depends)
window_depends=$(dpkg-deb -f "$window_deb" Depends)
echo "$cli_package Depends: $cli_depends"
echo "$window_package Depends: $window_depends"
for library in libc6 libstdc++6 libxlsxwriter; do
  check
  [[ "$cli_depends" == *"$library"* ]] || fail "the tool's Depends does not name $library"
done
check
grep -qiE 'qt|libx11|libxcb|libgl|libegl|libwayland|libfontconfig' <<<"$cli_depends" &&
  fail "the tool's package depends on a graphical library: $cli_depends"
for dependency in libqt6widgets6 "$cli_package (= $version)"; do
  check
  [[ "$window_depends" == *"$dependency"* ]] || fail "the window's Depends does not name $dependency"
done
# Up to 1.0-1 the tool came in the window's package: taking its file over is announced.
for field in Breaks Replaces; do
  check
  [ "$(dpkg-deb -f "$cli_deb" $field)" = "$window_package (<< 1.0-2)" ] ||
    fail "the tool's $field is '$(dpkg-deb -f "$cli_deb" $field)', not '$window_package (<< 1.0-2)'"
done
for deb in "$cli_deb" "$window_deb"; do
  check
  dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qE 'postinst|prerm|postrm|preinst' &&
    fail "$(basename "$deb") has maintainer scripts"
  # The description names what the programs do, the summary first.
  description=$(dpkg-deb -f "$deb" Description)
  check
  [ "$(head -1 <<<"$description" | wc -c)" -le 81 ] || fail "$(basename "$deb"): the summary line is long"
done
check
for command in runs save export check report adjust; do
  grep -qw "$command" <<<"$(dpkg-deb -f "$cli_deb" Description)" || fail "the tool's description does not name $command"
done

# ---- Desktop entry, file type and icon, from the unpacked packages.
dpkg-deb -x "$cli_deb" "$work/root"
dpkg-deb -x "$window_deb" "$work/root"
share=$work/root/usr/share
desktop=$share/applications/$app_id.desktop
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
  # The file type as the MIME database reads it: by content, never by name
  # (tests/install/check_filetype.sh checks the content rules).
  mkdir -p "$work/mime/packages"
  cp "$xml" "$work/mime/packages/"
  update-mime-database "$work/mime" >/dev/null 2>"$work/umd"
  check
  grep -aqF "$mime_type" "$work/mime/magic" 2>/dev/null ||
    fail "the MIME database has no content rule for $mime_type: $(head -1 "$work/umd")"
  check
  grep -F ":$mime_type:" "$work/mime/globs2" >"$work/globs" 2>/dev/null
  [ -s "$work/globs" ] && fail "the MIME database knows $mime_type by name: $(tr '\n' ' ' <"$work/globs")"
else
  skip "update-mime-database (package shared-mime-info) is not installed"
fi

# ---- Licence, changelog and the software centres' metadata.
for doc in velmora-tesk-cli velmora-tesk; do
  copyright=$share/doc/$doc/copyright
  check
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" ||
    fail "$doc: copyright is not in the machine-readable format"
  # The header-only libraries compiled into the programs: their licence's text, and the
  # programs' files under it.
  for license in MPL-2.0 BSL-1.0; do
    check
    grep -qx "License: $license" "$copyright" && grep -qE "^License: .+ and .*$license|^License: $license and" "$copyright" ||
      fail "$doc: copyright does not name $license for the programs"
  done
  check
  zcat "$share/doc/$doc/changelog.Debian.gz" >"$work/changelog" 2>&1
  changelog_version=$(dpkg-parsechangelog -l "$work/changelog" -S Version 2>&1)
  [ "$changelog_version" = "$version" ] ||
    fail "$doc: changelog.Debian.gz names version $changelog_version, the package $version"
  release_date=$(date -u -d "$(dpkg-parsechangelog -l "$work/changelog" -S Date)" +%F)
done
metainfo=$share/metainfo/$app_id.metainfo.xml
if have appstreamcli; then
  # Without --no-net: the metadata refers to nothing that needs the network.
  check
  appstreamcli validate --pedantic "$metainfo" >"$work/appstream" 2>&1 ||
    fail "appstreamcli validate: $(cat "$work/appstream")"
else
  skip "appstreamcli (package appstream) is not installed"
fi
check
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metadata's id is not $app_id"
check
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metadata does not launch $app_id.desktop"
check
grep -q '<release version="1.0"' "$metainfo" || fail "the metadata has no release ${version%-*}"

# ---- Manual pages: valid gzip, dated by the newest changelog entry, no troff warnings.
for page in velmora-tesk velmora-tesk-cli; do
  file=$share/man/man1/$page.1.gz
  check
  gzip -t "$file" 2>/dev/null || fail "$page.1.gz is not gzip"
  check
  th=$(zcat "$file" | grep -m1 '^\.TH')
  [[ "$th" == *"\"$release_date\" \"Velmora Tesk ${version%-*}\""* ]] ||
    fail "$page.1 is not dated $release_date, version ${version%-*}: $th"
  if have man; then
    check
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>"$work/warnings" >/dev/null
    [ -s "$work/warnings" ] && fail "$page.1: $(cat "$work/warnings")"
  fi
done
[ -n "$(have man && echo yes)" ] || skip "man (package man-db) is not installed: pages not rendered"

# ---- Installing: the tool alone first, as on a server, then the window.
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
installed_before=()
for package in "$cli_package" "$window_package"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' &&
    installed_before+=("$package")
done
install_packages() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends --reinstall "$@"
}
summary() { echo "$((checks - failures)) passed, $failures failed"; }
check
if ! install_packages "$cli_deb" >"$work/apt" 2>&1; then
  # The package lists may be missing or stale for its dependencies.
  $sudo apt-get update -qq >/dev/null 2>&1
  install_packages "$cli_deb" >"$work/apt" 2>&1 || { fail "apt-get install: $(tail -5 "$work/apt")"; summary; exit 1; }
fi
echo "installed $cli_package $version"

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
# The spreadsheet library is loaded by its name when an .xlsx is written: the package's
# Depends has brought it, and the installed tool finds it.
check
/usr/bin/velmora-tesk-cli export --runs 1 --start RP101 --output "$work/installed.xlsx" \
  "$examples/levelling_m5.DAT" 2>"$work/err" && [ "$(head -c 2 "$work/installed.xlsx")" = PK ] ||
  fail "the installed tool wrote no .xlsx: $(cat "$work/err")"
# The installed tool finds its catalogue: Russian when asked for, English under C.
check
LC_ALL=C.UTF-8 LANGUAGE=ru /usr/bin/velmora-tesk-cli runs /no/such/file 2>&1 | grep -q '^velmora-tesk-cli: не удаётся прочитать /no/such/file: ' ||
  fail "the installed tool does not speak Russian: $(LC_ALL=C.UTF-8 LANGUAGE=ru /usr/bin/velmora-tesk-cli runs /no/such/file 2>&1)"
check
/usr/bin/velmora-tesk-cli runs /no/such/file 2>&1 | grep -q '^velmora-tesk-cli: cannot read /no/such/file: ' ||
  fail "the installed tool does not speak English under C: $(/usr/bin/velmora-tesk-cli runs /no/such/file 2>&1)"
check
ldd /usr/bin/velmora-tesk-cli >"$work/ldd" 2>&1 || fail "ldd velmora-tesk-cli: $(cat "$work/ldd")"
grep -iE 'libQt|libX11|libxcb|libGL|libEGL|libwayland' "$work/ldd" >"$work/gui" && fail "the tool loads graphical libraries: $(cat "$work/gui")"

# The manual page against the installed program's own usage, the completion against both.
check
bash "$here/check_usage.sh" /usr/bin/velmora-tesk-cli /usr/share/man/man1/velmora-tesk-cli.1.gz \
  >"$work/usage" 2>&1 || fail "$(cat "$work/usage")"
check
bash "$here/check_completion.sh" "$completion" /usr/bin/velmora-tesk-cli >"$work/completion" 2>&1 ||
  fail "$(cat "$work/completion")"
if have man; then
  check
  [ "$(man -w velmora-tesk-cli 2>&1)" = /usr/share/man/man1/velmora-tesk-cli.1.gz ] ||
    fail "man -w velmora-tesk-cli: $(man -w velmora-tesk-cli 2>&1)"
fi

check
install_packages "$window_deb" >"$work/apt" 2>&1 || { fail "apt-get install: $(tail -5 "$work/apt")"; summary; exit 1; }
echo "installed $window_package $version"

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
  grep -aqF "$mime_type" /usr/share/mime/magic || fail "the system MIME database does not know $mime_type"
  if have gio; then
    # As a file manager sees them: the sample is a field book, a text file named .DAT is not.
    printf 'not a field book\n' >"$work/notes.DAT"
    for file in "$examples/levelling_m5.DAT" "$work/notes.DAT"; do
      check
      want=$mime_type
      [ "$file" = "$work/notes.DAT" ] && want=text/plain
      got=$(HOME="$work" XDG_DATA_HOME="$work/none" gio info -a standard::content-type "$file" 2>&1 |
            sed -n 's/^ *standard::content-type: //p')
      [ "$got" = "$want" ] || fail "gio takes $(basename "$file") for '$got', not $want"
    done
  fi
fi
if have update-desktop-database; then
  check
  grep -q "^$mime_type=.*$app_id.desktop" /usr/share/applications/mimeinfo.cache ||
    fail "mimeinfo.cache does not map $mime_type to $app_id.desktop"
  if have xdg-mime; then
    check
    default=$(XDG_CURRENT_DESKTOP='' xdg-mime query default "$mime_type" 2>&1)
    [ "$default" = "$app_id.desktop" ] || fail "xdg-mime query default $mime_type: $default"
  fi
fi

# ---- Removing what this check installed.
if [ "$keep" != --keep ] && [ ${#installed_before[@]} = 0 ]; then
  check
  DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq "$window_package" "$cli_package" >"$work/apt" 2>&1 ||
    fail "apt-get remove: $(tail -5 "$work/apt")"
  check
  [ ! -e /usr/bin/velmora-tesk-cli ] && [ ! -e /usr/bin/velmora-tesk ] &&
    [ ! -e "/usr/share/applications/$app_id.desktop" ] && [ ! -e "$completion" ] ||
    fail "files left behind after removal"
  if have update-mime-database; then
    check
    grep -aqF "$mime_type" /usr/share/mime/magic && fail "the MIME database still knows $mime_type after removal"
  fi
  echo "removed $window_package and $cli_package again"
else
  echo "left $cli_package and $window_package installed"
fi

summary
[ "$failures" = 0 ]
