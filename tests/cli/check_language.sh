#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool in the user's language: Russian under ru_RU.UTF-8 and under LANGUAGE=ru, English
# under C and for a language without a catalogue. What programs read (--json, the tab-separated
# tables, CSV, the saved book, the workbooks) and the exit statuses are the same in every one.
# Usage: check_language.sh CLI SAMPLES_DIR
set -u
cli=$(realpath "$1")
samples=$2
. "$(dirname "$0")/cli_checks.sh"
book=$samples/levelling_m5.DAT
plain=$samples/plain_layout.DAT
unset LANGUAGE LC_ALL LC_MESSAGES LANG

# The languages: C; Russian chosen by the locale and, where that locale is missing, by
# LANGUAGE over the built-in C.UTF-8; Russian by LANGUAGE; German, which we have no catalogue for.
english=(env LC_ALL=C)
languages=("LC_ALL=C" "LC_ALL=C.UTF-8 LANGUAGE=ru" "LANG=de_DE.UTF-8")
if locale -a 2>/dev/null | grep -qix 'ru_RU.utf-\?8'; then
  russian=(env LC_ALL=ru_RU.UTF-8)
  languages+=("LC_ALL=ru_RU.UTF-8" "LANG=ru_RU.UTF-8 LANGUAGE=ru")
else
  echo "no ru_RU.UTF-8 locale: Russian is chosen by LANGUAGE=ru alone"
  russian=(env LC_ALL=C.UTF-8 LANGUAGE=ru)
fi

# ---- Messages for people.
expect_status 1 "${russian[@]}" "$cli" runs /no/such/file
check; grep -qx 'velmora-tesk-cli: не удаётся прочитать /no/such/file: .*' "$work/err" ||
  fail "runs /no/such/file in Russian: $(cat "$work/err")"
# The C library's reason in Russian too, and in UTF-8 (not spelt in Latin letters), where its
# Russian catalogue is installed.
if [ -e /usr/share/locale/ru/LC_MESSAGES/libc.mo ]; then
  check; grep -q ': Нет такого файла или каталога$' "$work/err" || fail "strerror in Russian: $(cat "$work/err")"
fi
expect_status 1 "${english[@]}" "$cli" runs /no/such/file
check; [ "$(cat "$work/err")" = "velmora-tesk-cli: cannot read /no/such/file: No such file or directory" ] ||
  fail "runs /no/such/file in English: $(cat "$work/err")"

expect_status 0 "${russian[@]}" "$cli" --help
check; [ "$(head -1 "$work/out")" = "Использование:" ] || fail "--help in Russian: $(head -3 "$work/out")"
check; grep -q '^      Выводит список ходов полевого журнала' "$work/out" || fail "--help describes runs in Russian"
grep '^  velmora-tesk-cli' "$work/out" >"$work/ru.synopses"
expect_status 0 "${english[@]}" "$cli" --help
check; [ "$(head -1 "$work/out")" = "Usage:" ] || fail "--help in English: $(head -3 "$work/out")"
check; grep '^  velmora-tesk-cli' "$work/out" | cmp -s - "$work/ru.synopses" || fail "the synopses differ by language"

# A usage error: its line and where to read more, the command's part of the help.
expect_status 2 "${russian[@]}" "$cli" runs
check; [ "$(cat "$work/err")" = $'velmora-tesk-cli: runs принимает ровно один полевой журнал\nподробнее: velmora-tesk-cli runs --help' ] ||
  fail "usage error in Russian: $(cat "$work/err")"
expect_status 2 "${english[@]}" "$cli" runs --colour "$book"
check; [ "$(cat "$work/err")" = $'velmora-tesk-cli: unknown option --colour\nsee velmora-tesk-cli runs --help' ] ||
  fail "usage error in English: $(cat "$work/err")"
expect_status 2 "${russian[@]}" "$cli" chek "$book"
check; grep -qx 'velmora-tesk-cli: неизвестная команда «chek»; возможно, имелась в виду «check»?' "$work/err" ||
  fail "unknown command in Russian: $(cat "$work/err")"
expect_status 2 "${english[@]}" "$cli" help nosuch
check; [ "$(wc -l <"$work/err")" = 2 ] || fail "help nosuch: $(cat "$work/err")"

# A command's own part of the help, asked for in both ways.
expect_status 0 "${english[@]}" "$cli" help export
cp "$work/out" "$work/help-export"
expect_status 0 "${english[@]}" "$cli" export --help
check; cmp -s "$work/out" "$work/help-export" || fail "help export and export --help differ"
check; [ "$(grep -c '^  velmora-tesk-cli' "$work/out")" = 1 ] && grep -q '^  velmora-tesk-cli export' "$work/out" ||
  fail "export --help shows more than its command: $(cat "$work/out")"

# check: the run's fh and fh доп beside its figures, millimetres with a decimal comma.
expect_status 4 "${russian[@]}" "$cli" check "$book"
check; grep -q '^1 BF: 5 станций, длина 249,594 м, fh -1,5 мм, fh доп 2,5 мм, ' "$work/out" ||
  fail "check in Russian: $(head -1 "$work/out")"
check; grep -q '^3 BF: .*fh: ход не замкнут' "$work/out" || fail "an open run in Russian: $(grep '^3 ' "$work/out")"
expect_status 4 "${english[@]}" "$cli" check "$book"
check; grep -q '^1 BF: 5 stations, length 249.594 m, fh -1.5 mm, allowed fh 2.5 mm, ' "$work/out" ||
  fail "check in English: $(head -1 "$work/out")"
check; grep -q '^2 .*, fh 3.0 mm, above the allowed fh' "$work/out" || fail "a run above tolerance: $(grep '^2 ' "$work/out")"

# adjust: the summary for people in Russian, σ₀ in millimetres.
expect_status 0 "${russian[@]}" "$cli" adjust --fixed RP101=100 "$book"
check; grep -qx 'σ₀ = [0-9]*,[0-9][0-9] мм на 1 км хода, априори 2,50 мм; [0-9]* степен.* свободы' "$work/out" ||
  fail "adjust summary in Russian: $(cat "$work/out")"
check; grep -qx 'velmora-tesk-cli: предупреждение: ход 12 проходит через узловой пункт RP105 на станции 2 .*--nodes' "$work/err" ||
  fail "adjust warning in Russian: $(cat "$work/err")"

# Why a run cannot be read, in the user's language wherever it reaches people, with the
# point from the book (Windows-1251) in UTF-8 among the translated words.
unreadable=$work/unreadable.DAT
python3 "$(dirname "$0")/write_book.py" "$unreadable" <<'B'
run 5 BFFB
РП1 Rb 1.5 10
B Rf 1.0 10
B Rf 1.0 10
B Rf 1.0 10
РП1 Rb 1.5 10
run 7
РП1 Rb 1.5 10 yd
B Rf 1.0 10
B
expect_status 4 "${russian[@]}" "$cli" check "$unreadable"
check; grep -qx '5 BFFB: не читается, станция 1 (BFFF от точки РП1) не подходит ни к одному способу нивелирования' "$work/out" &&
  grep -qx '7 BF: не читается, неизвестная единица измерения «yd» в точке РП1' "$work/out" ||
  fail "check's reasons in Russian: $(cat "$work/out")"
expect_status 4 "${english[@]}" "$cli" check "$unreadable"
check; grep -qx '5 BFFB: unreadable, station 1 (BFFF from point РП1) fits no levelling method' "$work/out" &&
  grep -qx '7 BF: unreadable, unknown unit "yd" at point РП1' "$work/out" ||
  fail "check's reasons in English: $(cat "$work/out")"
expect_status 1 "${russian[@]}" "$cli" export --runs 5 --height 100 --output "$work/unreadable.xls" "$unreadable"
check; grep -qx 'velmora-tesk-cli: не удаётся экспортировать в .*: ход 5: станция 1 (BFFF от точки РП1) не подходит ни к одному способу нивелирования' "$work/err" ||
  fail "export's reason in Russian: $(cat "$work/err")"
expect_status 1 "${russian[@]}" "$cli" adjust --fixed B=100 "$unreadable"
check; grep -qx 'velmora-tesk-cli: не удаётся уравнять .*: ход 5 не читается: станция 1 (BFFF от точки РП1) не подходит .*' "$work/err" ||
  fail "adjust's reason in Russian: $(cat "$work/err")"
expect_status 4 "${russian[@]}" "$cli" report --output "$work/unreadable.html" "$unreadable"
check; grep -q '<td colspan="9">неизвестная единица измерения «yd» в точке РП1</td>' "$work/unreadable.html" ||
  fail "the report's reason in Russian: $(grep colspan "$work/unreadable.html")"
# For programs the reason stays English, whatever the language (compared below).
expect_status 0 "${russian[@]}" "$cli" runs --json "$unreadable"
python3 - "$work/out" <<'PY' || fail "the JSON's reasons: $(cat "$work/out")"
import json, sys
reasons = [run["reason"] for run in json.load(open(sys.argv[1]))]
assert reasons == ["station 1 (BFFF from point РП1) fits no levelling method", 'unknown unit "yd" at point РП1'], reasons
PY
check

# The adjustment's warnings on the report page in the network section, in the user's language,
# escaped as every text of the page is: here a run of the first book (named so that it needs
# escaping) passes a node.
odd="$work/m5&<1>.DAT"
cp "$book" "$odd"
expect_status 4 "${russian[@]}" "$cli" report --fixed RP101=100 --output "$work/warned.html" "$odd" "$plain"
check; grep -qx '<li>ход 12 из m5&amp;&lt;1&gt;.DAT проходит через узловой пункт RP105 на станции 2 и разделён в нём как в узле</li>' \
  "$work/warned.html" || fail "the adjustment's warning on the Russian page: $(grep '<li>' "$work/warned.html")"
expect_status 4 "${english[@]}" "$cli" report --fixed RP101=100 --output "$work/warned.html" "$odd" "$plain"
check; grep -qx '<li>run 12 of m5&amp;&lt;1&gt;.DAT passes node RP105 at station 2 and is split there as a junction</li>' \
  "$work/warned.html" || fail "the adjustment's warning on the English page: $(grep '<li>' "$work/warned.html")"
# On the terminal too, without advice about --nodes, which report does not take.
check; grep -qx 'velmora-tesk-cli: warning: run 12 of .*m5&<1>.DAT passes node RP105 at station 2 and is split there as a junction' \
  "$work/err" || fail "report's warning on the terminal: $(cat "$work/err")"

# ---- What programs read, and the exit statuses, in every language.
# run NAME STATUS ARGS...: the tool's standard output (tables and JSON: lines with a tab or a
# brace) and its files, kept as NAME.<language number>.
run_each() {
  local name=$1 want=$2 n=0 language
  shift 2
  for language in "${languages[@]}"; do
    # shellcheck disable=SC2086  # the assignments are meant to split
    expect_status "$want" env $language "$cli" "$@"
    grep -E $'\t|^[][{ ]' "$work/out" >"$work/$name.$n.out"
    for file in "$work"/output.*; do
      [ -e "$file" ] && mv "$file" "$work/$name.$n.${file##*.}"
    done
    n=$((n + 1))
  done
  for file in "$work/$name".0.*; do
    for ((k = 1; k < n; k++)); do
      check; cmp -s "$file" "${file/.0./.$k.}" ||
        fail "$name under '${languages[k]}' differs from C: $(diff "$file" "${file/.0./.$k.}" | head -5)"
    done
  done
}
run_each runs 0 runs "$book"
run_each runs-json 0 runs --json "$book"
run_each check-json 4 check --json "$plain"
run_each adjust-json 0 adjust --json --fixed RP101=100 "$book"
run_each adjust-tables 0 adjust --all-points --fixed RP101=100,5 --output "$work/output.csv" "$book"
run_each save 0 save --delete 12 --output "$work/output.DAT" "$book"
run_each export 3 export --runs 1,3 --start RP101 --height 100,25 --output "$work/output.xls" "$book"
run_each unreadable-runs 0 runs --json "$unreadable"
run_each unreadable-check 4 check --json "$unreadable"
run_each missing 1 check /no/such/file
run_each usage 2 adjust "$book"
check; [ -s "$work/adjust-tables.0.csv" ] && [ -s "$work/export.0.xls" ] && grep -q $'^RP101\t' "$work/adjust-tables.0.out" ||
  fail "the outputs compared are empty"

# ---- A damaged catalogue (cut short, as by a full disk during an install) is not loaded: the
# tool speaks English with one warning naming it, --help included. A copy of the tool finds its
# catalogues in share/locale beside its folder.
catalogue=$(dirname "$cli")/share/locale/ru/LC_MESSAGES/velmora-tesk.mo
if [ -f "$catalogue" ]; then
  mkdir -p "$work/tool/bin" "$work/tool/share/locale/ru/LC_MESSAGES"
  cp "$cli" "$work/tool/bin/"
  copy=$work/tool/bin/$(basename "$cli") damaged=$work/tool/share/locale/ru/LC_MESSAGES/velmora-tesk.mo
  size=$(stat -c %s "$catalogue")
  "${english[@]}" "$cli" runs "$book" >"$work/runs.en"
  for cut in 100 $((size / 2)) $((size - 1)); do
    head -c "$cut" "$catalogue" >"$damaged"
    for command in --help runs; do
      if [ "$command" = runs ]; then words=(runs "$book"); else words=(--help); fi
      expect_status 0 "${russian[@]}" "$copy" "${words[@]}"
      check; [ "$(cat "$work/err")" = "velmora-tesk-cli: warning: the message catalogue $damaged is damaged; messages are in English" ] ||
        fail "$command with the catalogue cut to $cut bytes: $(head -c 300 "$work/err")"
      check; if [ "$command" = runs ]; then cmp -s "$work/out" "$work/runs.en"; else [ "$(head -1 "$work/out")" = "Usage:" ]; fi ||
        fail "$command with the catalogue cut to $cut bytes is not English: $(head -3 "$work/out")"
    done
  done
  rm -rf "$work/tool"
else
  echo "skipped: no built catalogue beside $cli"
fi

finish
