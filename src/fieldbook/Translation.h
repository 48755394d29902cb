// SPDX-License-Identifier: MIT
#pragma once

// The texts the program shows people, in the user's language, through GNU gettext.
//
// A text in the code is the English text itself, marked for the catalogue by one of the calls
// below; `po/ru.po` holds its Russian. Without a catalogue for the language (English, the C
// locale, a language we have none for) every call returns the English text, so a program or
// test that never chooses a language speaks English.
//
//   Tr("no command given")                          a text
//   TrPlural("{1} station", "{1} stations", n)      a text with a number in it
//   TrIn("table header", "Run")                     a short text whose meaning needs a context
//   N_("sight length")                              marks a text kept in a table, translated
//                                                   later with Tr(table[i])
//   Fill(Tr("cannot read {1}"), {path})             {1}, {2}... replaced by the values
//
// Texts are UTF-8. Texts from a field book (point names, run numbers) are Windows-1251 and
// stay so: convert them where they meet a translated text. Numbers written for programs
// (--json, tab-separated tables, CSV) never go through these calls.
//
// Every text the window shows comes from here too: no Russian is written in src/app, src/state
// or src/cli (the test texts_in_catalogue looks). The fixed words written into the workbooks
// (sheet names and headings such as "dZдоп", "Каталог", "Секции") are data, not messages:
// they never change with the language and stay Windows-1251 constants beside their writers,
// in src/export/WorkbookLayout.cpp and src/network/NetworkWorkbookLayout.cpp.

#include <initializer_list>
#include <string>
#include <string_view>

#define N_(text) text

namespace velmora {

/// The catalogue's name: po/ru.po becomes share/locale/ru/LC_MESSAGES/velmora-tesk.mo.
inline constexpr const char* kTextDomain = "velmora-tesk";

const char* Tr(const char* text);
const char* TrPlural(const char* one, const char* many, unsigned long count);
const char* TrIn(const char* context, const char* text);

/// `pattern` with {1}..{9} replaced by the values in order ({{ and }} are no placeholders).
/// A placeholder without a value stays as written.
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values);
/// Fill's text appended to `text`, for a writer that fills many.
void AppendFill(std::string& text, std::string_view pattern, std::initializer_list<std::string_view> values);

/// While one lives, every call above gives the code's own English text (TrPlural: `one` for a
/// count of 1, `many` otherwise), whatever the language chosen: for sentences written into
/// what programs read (a JSON "message"), which never change with the language.
class EnglishTexts {
public:
    EnglishTexts();
    ~EnglishTexts();
    EnglishTexts(const EnglishTexts&) = delete;
    EnglishTexts& operator=(const EnglishTexts&) = delete;
};

/// While one lives, the language stays as it is on this thread: each text that Tr or TrIn is
/// asked for is looked up in the catalogue once and given from memory afterwards (by its
/// words, not by where they are kept). For a job that asks for the same few texts at every
/// station of a large book: a page, a list of findings. EnglishTexts still take precedence.
/// Nested ones share the outermost one's memory.
class HeldLanguage {
public:
    HeldLanguage();
    ~HeldLanguage();
    HeldLanguage(const HeldLanguage&) = delete;
    HeldLanguage& operator=(const HeldLanguage&) = delete;

private:
    bool outermost_ = false;
};

/// The language the texts come in, as the catalogue names it: "ru", or "en" without one.
/// For an HTML page's lang attribute.
std::string_view TextLanguage();

/// A number written for people in the texts' language: `numberText` ("-38.5", as the rounding
/// helpers write it) with its decimal point as that language writes it ("-38,5" in Russian).
std::string ForPeople(std::string numberText);

/// ForPeople in place, for the number written at `text[from]` onwards.
void UseDecimalSeparator(std::string& text, std::size_t from);

/// Chooses the language as GNU programs do: LANGUAGE, LC_ALL, LC_MESSAGES, LANG, through the
/// message category of the C locale only (numbers and character classes are not touched).
/// `localeFolder` holds ru/LC_MESSAGES/velmora-tesk.mo.
///
/// A catalogue the language would take is checked first: one that is cut short or whose
/// tables point outside it (which the C library's loader would follow, and crash) is not
/// used, the texts stay English, and the result is a warning that says so, in English
/// ("warning: the message catalogue … is damaged; messages are in English"). Empty otherwise.
std::string UseUserLanguage(const std::string& localeFolder);

/// Texts in `language` ("ru") whatever the user's locale, for the window, which always speaks
/// Russian. Sets LANGUAGE for this process. The catalogue is checked as by UseUserLanguage,
/// with the same warning.
std::string UseLanguage(const char* language, const std::string& localeFolder);

/// The catalogue folder of the running program, found from where the program lies, so that an
/// installed and a built program both find theirs: share/locale beside the program's folder
/// (/usr/bin/x → /usr/share/locale), or within it where that is missing (the built
/// build/src/x → build/src/share/locale, where the build puts the catalogues).
std::string ProgramLocaleFolder();

}  // namespace velmora
