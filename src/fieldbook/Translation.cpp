// SPDX-License-Identifier: MIT
#include "fieldbook/Translation.h"

#include "fieldbook/FilePath.h"
#include "fieldbook/TextConversions.h"

#include <libintl.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
}  // namespace

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
    return English() ? text : dgettext(kTextDomain, text);
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
    std::string key = std::string(context) + '\4' + text;
    const char* found = dgettext(kTextDomain, key.c_str());
    return found == key.c_str() ? text : found;
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> values)
{
    std::string filled;
    filled.reserve(pattern.size());
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
    return filled;
}

std::string_view TextLanguage()
{
    // The catalogue says which language it is in: the translation of this one text.
    // TRANSLATORS: the language of these texts, as an HTML page's lang attribute names it.
    return TrIn("language code for HTML", "en");
}

std::string ForPeople(std::string numberText)
{
    // TRANSLATORS: the decimal separator of numbers written for people.
    const std::string_view separator = TrIn("decimal separator", ".");
    if (separator == ".")
        return numberText;
    const std::size_t point = numberText.find('.');
    if (point != std::string::npos)
        numberText.replace(point, 1, separator);
    return numberText;
}

namespace {

std::uint32_t Word32(std::string_view bytes, std::size_t at, bool swapped)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return swapped ? __builtin_bswap32(value) : value;
}

// Whether `bytes` are a whole compiled catalogue: its header, its tables of original and
// translated texts, the descriptors of texts that depend on the system and its hash table
// lie within the file, and every text they point at ends with NUL inside it.
bool IsSoundCatalogue(std::string_view bytes)
{
    constexpr std::uint32_t kMagic = 0x950412de;
    constexpr std::size_t kHeaderBytes = 28;
    constexpr std::size_t kSystemHeaderBytes = 48;  // revision 1.1 and later
    constexpr std::uint32_t kSegmentsEnd = 0xffffffff;
    if (bytes.size() < kHeaderBytes)
        return false;
    const bool swapped = Word32(bytes, 0, false) != kMagic;
    if (swapped && Word32(bytes, 0, true) != kMagic)
        return false;
    const auto word = [&](std::size_t at) { return Word32(bytes, at, swapped); };
    const std::uint64_t size = bytes.size();
    const auto within = [&](std::uint64_t at, std::uint64_t count, std::uint64_t each) {
        return at <= size && count <= (size - at) / each;
    };
    // A text of `length` bytes at `at`, and the NUL after it.
    const auto text = [&](std::size_t descriptor) {
        const std::uint64_t length = word(descriptor);
        const std::uint64_t at = word(descriptor + 4);
        return at + length < size && bytes[at + length] == '\0';
    };
    const std::uint32_t revision = word(4);
    const std::uint32_t strings = word(8);
    const std::uint32_t originals = word(12);
    const std::uint32_t translations = word(16);
    const std::uint32_t hashSize = word(20);
    const std::uint32_t hashAt = word(24);
    if ((revision >> 16) > 1 || !within(originals, strings, 8) || !within(translations, strings, 8))
        return false;
    for (std::uint32_t i = 0; i < strings; ++i) {
        if (!text(originals + std::size_t{8} * i) || !text(translations + std::size_t{8} * i))
            return false;
    }
    std::uint64_t systemStrings = 0;
    if (revision > 0) {
        if (bytes.size() < kSystemHeaderBytes)
            return false;
        const std::uint32_t segments = word(28);
        const std::uint32_t segmentsAt = word(32);
        systemStrings = word(36);
        const std::uint32_t systemOriginals = word(40);
        const std::uint32_t systemTranslations = word(44);
        if (!within(segmentsAt, segments, 8) || !within(systemOriginals, systemStrings, 4) ||
            !within(systemTranslations, systemStrings, 4))
            return false;
        // A segment's name: its length counts its NUL.
        for (std::uint32_t i = 0; i < segments; ++i) {
            const std::size_t descriptor = segmentsAt + std::size_t{8} * i;
            if (std::uint64_t{word(descriptor + 4)} + word(descriptor) > size)
                return false;
        }
        // Each such text: where its pieces lie, then pairs of a piece's length and the
        // segment it refers to, ended by kSegmentsEnd.
        for (const std::uint32_t table : {systemOriginals, systemTranslations}) {
            for (std::uint64_t i = 0; i < systemStrings; ++i) {
                std::uint64_t at = word(table + 4 * i);
                if (!within(at, 1, 4))
                    return false;
                const std::uint64_t piecesAt = word(at);
                std::uint64_t piecesLength = 0;
                for (at += 4;; at += 8) {
                    if (!within(at, 1, 8))
                        return false;
                    piecesLength += word(at);
                    const std::uint32_t segment = word(at + 4);
                    if (segment == kSegmentsEnd)
                        break;
                    if (segment >= segments)
                        return false;
                }
                if (piecesAt > size || piecesLength > size - piecesAt)
                    return false;
            }
        }
    }
    // A table of two entries or fewer is not used.
    if (hashSize > 2) {
        if (!within(hashAt, hashSize, 4))
            return false;
        for (std::uint32_t i = 0; i < hashSize; ++i) {
            if (word(hashAt + std::size_t{4} * i) > strings + systemStrings)
                return false;
        }
    }
    return true;
}

// The names under which the C library looks for a language's catalogue: "ru_RU.UTF-8@x" is
// tried as itself, with its codeset in the library's normal form ("utf8") and without each
// of its territory, codeset and modifier.
std::vector<std::string> CatalogueNames(const std::string& language)
{
    const std::size_t modifierAt = std::min(language.find('@'), language.size());
    const std::size_t codesetAt = std::min(language.find('.'), modifierAt);
    const std::size_t territoryAt = std::min(language.find('_'), codesetAt);
    const std::string base = language.substr(0, territoryAt);
    const std::string territory = language.substr(territoryAt, codesetAt - territoryAt);
    const std::string codeset = language.substr(codesetAt, modifierAt - codesetAt);
    const std::string modifier = language.substr(modifierAt);
    std::string normal;
    for (const char c : codeset) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            normal += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    std::vector<std::string> names;
    for (const std::string& t : {territory, std::string()}) {
        for (const std::string& c : {codeset, normal.empty() ? std::string() : "." + normal, std::string()}) {
            for (const std::string& m : {modifier, std::string()})
                names.push_back(base + t + c + m);
        }
    }
    return names;
}

// The languages the C library would look up texts in: none in the C locale; else those of
// LANGUAGE and the message locale's own. Every one is checked, though only the first found
// is used.
std::vector<std::string> ChosenLanguages()
{
    const char* locale = std::setlocale(LC_MESSAGES, nullptr);
    if (!locale || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0)
        return {};
    std::vector<std::string> languages{locale};
    if (const char* list = std::getenv("LANGUAGE")) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t colon = std::min(rest.find(':'), rest.size());
            if (colon > 0)
                languages.emplace_back(rest.substr(0, colon));
            rest.remove_prefix(std::min(colon + 1, rest.size()));
        }
    }
    return languages;
}

// The first damaged catalogue the chosen languages would take from `localeFolder`; empty when
// every one there is sound.
std::string DamagedCatalogue(const std::string& localeFolder)
{
    // A catalogue holds some thousand texts; one much larger is no catalogue of ours.
    constexpr std::uintmax_t kLargestCatalogue = 64u << 20;
    for (const std::string& language : ChosenLanguages()) {
        for (const std::string& name : CatalogueNames(language)) {
            if (name.empty() || name.find('/') != std::string::npos)
                continue;
            const std::string path = localeFolder + "/" + name + "/LC_MESSAGES/" + kTextDomain + ".mo";
            struct stat status {};
            if (stat(path.c_str(), &status) != 0)
                continue;
            std::ifstream in(path, std::ios::binary);
            std::string bytes;
            if (S_ISREG(status.st_mode) && static_cast<std::uintmax_t>(status.st_size) <= kLargestCatalogue) {
                bytes.resize(static_cast<std::size_t>(status.st_size));
                in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            }
            if (!in || bytes.empty() || !IsSoundCatalogue(bytes))
                return path;
        }
    }
    return {};
}

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
