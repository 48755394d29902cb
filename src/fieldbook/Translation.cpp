// SPDX-License-Identifier: MIT
#include "fieldbook/Translation.h"

#include "fieldbook/FilePath.h"
#include "fieldbook/MessageCatalogue.h"
#include "fieldbook/TextConversions.h"

#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {

namespace {
thread_local int gEnglishTexts = 0;  // EnglishTexts alive on this thread
// Set when the catalogue the language would take is damaged: the C library's loader trusts
// every offset in it, so it is never bound, and the texts stay English.
bool gCatalogueRefused = false;

bool English()
{
    return gEnglishTexts || gCatalogueRefused;
}

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// The texts looked up while a HeldLanguage lives, keyed by their words (TrIn's as context,
// \4, text), with the catalogue's answer.
struct HeldTexts {
    std::unordered_map<std::string, const char*, TextHash, std::equal_to<>> found;
    std::string key;  // room for TrIn's key, kept from call to call
    const char* separator = nullptr;  // DecimalSeparator, once asked for
};
thread_local HeldTexts* gHeld = nullptr;

// The catalogue's translation of `key`, from memory when it was asked for before; null when it
// has none.
const char* Held(std::string_view key)
{
    const auto it = gHeld->found.find(key);
    if (it != gHeld->found.end())
        return it->second;
    std::string own(key);
    const char* translated = dgettext(kTextDomain, own.c_str());
    // Without a translation the catalogue gives the key back, which lives no longer than `own`.
    if (translated == own.c_str())
        translated = nullptr;
    return gHeld->found.emplace(std::move(own), translated).first->second;
}

std::string_view DecimalSeparator()
{
    // Asked for at every number of a page: kept while the language is held.
    const bool held = gHeld && !English();
    if (held && gHeld->separator)
        return gHeld->separator;
    // TRANSLATORS: the decimal separator of numbers written for people.
    const char* separator = TrIn("decimal separator", ".");
    if (held)
        gHeld->separator = separator;
    return separator;
}

}  // namespace

HeldLanguage::HeldLanguage() : outermost_(gHeld == nullptr)
{
    if (outermost_)
        gHeld = new HeldTexts;
}

HeldLanguage::~HeldLanguage()
{
    if (outermost_) {
        delete gHeld;
        gHeld = nullptr;
    }
}

EnglishTexts::EnglishTexts()
{
    ++gEnglishTexts;
}

EnglishTexts::~EnglishTexts()
{
    --gEnglishTexts;
}

const char* Tr(const char* text)
{
    if (English())
        return text;
    if (gHeld) {
        const char* found = Held(text);
        return found ? found : text;
    }
    return dgettext(kTextDomain, text);
}

const char* TrPlural(const char* one, const char* many, unsigned long count)
{
    if (English())
        return count == 1 ? one : many;
    return dngettext(kTextDomain, one, many, count);
}

const char* TrIn(const char* context, const char* text)
{
    if (English())
        return text;
    // The catalogue keys a text with a context as "context\4text" (what gettext.h's pgettext
    // does); without a translation the lookup gives the key back, and the text is its tail.
    if (gHeld) {
        std::string& key = gHeld->key;
        key.assign(context).append(1, '\4').append(text);
        const char* found = Held(key);
        return found ? found : text;
    }
    std::string key = std::string(context) + '\4' + text;
    const char* found = dgettext(kTextDomain, key.c_str());
    return found == key.c_str() ? text : found;
}

void AppendFill(std::string& filled, std::string_view pattern, std::initializer_list<std::string_view> values)
{
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if ((c == '{' || c == '}') && i + 1 < pattern.size() && pattern[i + 1] == c) {
            filled += c;
            ++i;
            continue;
        }
        if (c == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' && pattern[i + 1] >= '1' &&
            pattern[i + 1] <= '9') {
            const std::size_t index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < values.size()) {
                filled += *(values.begin() + index);
                i += 2;
                continue;
            }
        }
        filled += c;
    }
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string filled;
    filled.reserve(pattern.size());
    AppendFill(filled, pattern, values);
    return filled;
}

std::string_view TextLanguage()
{
    // The catalogue says which language it is in: the translation of this one text.
    // TRANSLATORS: the language of these texts, as an HTML page's lang attribute names it.
    return TrIn("language code for HTML", "en");
}

void UseDecimalSeparator(std::string& text, std::size_t from)
{
    const std::string_view separator = DecimalSeparator();
    if (separator == ".")
        return;
    const std::size_t point = text.find('.', from);
    if (point != std::string::npos)
        text.replace(point, 1, separator);
}

std::string ForPeople(std::string numberText)
{
    UseDecimalSeparator(numberText, 0);
    return numberText;
}

namespace {

// Binds the catalogue unless the one the language would take is damaged: then the texts stay
// English, and the warning says so.
std::string BindCatalogue(const std::string& localeFolder)
{
    const std::string damaged = DamagedCatalogue(localeFolder);
    gCatalogueRefused = !damaged.empty();
    if (gCatalogueRefused) {
        // In English whatever the language: there is no catalogue to word it.
        return Fill("warning: the message catalogue {1} is damaged; messages are in English",
                    {ControlCharactersShown(damaged)});
    }
    bindtextdomain(kTextDomain, localeFolder.c_str());
    bind_textdomain_codeset(kTextDomain, "UTF-8");
    return {};
}

}  // namespace

std::string UseUserLanguage(const std::string& localeFolder)
{
    std::setlocale(LC_MESSAGES, "");
    // The C library's own texts (strerror's "No such file or directory") come from its
    // catalogue in the character set of LC_CTYPE, which stays "C" here so that no byte of a
    // field book is classified by the user's locale: ASCII, Russian spelt in Latin letters.
    // They are wanted in UTF-8, as ours are.
    bind_textdomain_codeset("libc", "UTF-8");
    return BindCatalogue(localeFolder);
}

std::string UseLanguage(const char* language, const std::string& localeFolder)
{
    // gettext ignores LANGUAGE only when the message locale is plain "C"; C.UTF-8 is built
    // into the C library, so this works on a machine with no Russian locale installed.
    setenv("LANGUAGE", language, 1);
    if (!std::setlocale(LC_MESSAGES, "C.UTF-8"))
        std::setlocale(LC_MESSAGES, "");
    return BindCatalogue(localeFolder);
}

std::string ProgramLocaleFolder()
{
    std::string program(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", program.data(), program.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= program.size())
        return VELMORA_INSTALLED_LOCALE_FOLDER;
    program.resize(static_cast<std::size_t>(length));
    // /usr/bin/velmora-tesk-cli: the program's folder /usr/bin, beside it /usr/share/locale.
    // In the build the programs lie one or two folders below the catalogues (build/src/x,
    // build/src/app/x, catalogues in build/src/share/locale).
    const std::string programFolder = OpenableFolderOf(program);
    const std::string beside = std::string(FolderOf(programFolder)) + "share/locale";
    const std::string within = programFolder + "/share/locale";
    struct stat status {};
    if (stat(beside.c_str(), &status) != 0 && stat(within.c_str(), &status) == 0)
        return within;
    return beside;
}

}  // namespace velmora
