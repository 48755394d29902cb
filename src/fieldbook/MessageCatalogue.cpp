// SPDX-License-Identifier: MIT
#include "fieldbook/MessageCatalogue.h"

#include "fieldbook/Translation.h"

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

namespace velmora {

namespace {

std::uint32_t Word32(std::string_view bytes, std::size_t at, bool swapped)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return swapped ? __builtin_bswap32(value) : value;
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

}  // namespace

namespace {

// A compiled catalogue's bytes read as 32-bit words in its own byte order.
struct CatalogueBytes {
    std::string_view bytes;
    bool swapped = false;

    std::uint32_t Word(std::size_t at) const { return Word32(bytes, at, swapped); }
    // `count` items of `each` bytes from `at` lie inside the file.
    bool Within(std::uint64_t at, std::uint64_t count, std::uint64_t each) const
    {
        const std::uint64_t size = bytes.size();
        return at <= size && count <= (size - at) / each;
    }
    // The text whose length and place the descriptor at `descriptor` gives, with its NUL.
    bool Text(std::size_t descriptor) const
    {
        const std::uint64_t length = Word(descriptor);
        const std::uint64_t at = Word(descriptor + 4);
        return at + length < bytes.size() && bytes[at + length] == '\0';
    }
};

constexpr std::uint32_t kSegmentsEnd = 0xffffffff;

// One table of system-dependent texts (revision 1.1 and later): each text's pieces, then pairs
// of a piece's length and the segment it refers to, ended by kSegmentsEnd.
bool SystemTextsSound(const CatalogueBytes& file, std::uint32_t table, std::uint64_t texts,
                      std::uint32_t segments)
{
    const std::uint64_t size = file.bytes.size();
    for (std::uint64_t i = 0; i < texts; ++i) {
        std::uint64_t at = file.Word(table + 4 * i);
        if (!file.Within(at, 1, 4))
            return false;
        const std::uint64_t piecesAt = file.Word(at);
        std::uint64_t piecesLength = 0;
        for (at += 4;; at += 8) {
            if (!file.Within(at, 1, 8))
                return false;
            piecesLength += file.Word(at);
            const std::uint32_t segment = file.Word(at + 4);
            if (segment == kSegmentsEnd)
                break;
            if (segment >= segments)
                return false;
        }
        if (piecesAt > size || piecesLength > size - piecesAt)
            return false;
    }
    return true;
}

// The header's part of revision 1.1 and later and what it points at; `systemStrings` the count
// of system-dependent texts.
bool SystemPartSound(const CatalogueBytes& file, std::uint64_t& systemStrings)
{
    constexpr std::size_t kSystemHeaderBytes = 48;
    if (file.bytes.size() < kSystemHeaderBytes)
        return false;
    const std::uint32_t segments = file.Word(28);
    const std::uint32_t segmentsAt = file.Word(32);
    systemStrings = file.Word(36);
    const std::uint32_t systemOriginals = file.Word(40);
    const std::uint32_t systemTranslations = file.Word(44);
    if (!file.Within(segmentsAt, segments, 8) || !file.Within(systemOriginals, systemStrings, 4) ||
        !file.Within(systemTranslations, systemStrings, 4))
        return false;
    // A segment's name: its length counts its NUL.
    for (std::uint32_t i = 0; i < segments; ++i) {
        const std::size_t descriptor = segmentsAt + std::size_t{8} * i;
        if (std::uint64_t{file.Word(descriptor + 4)} + file.Word(descriptor) > file.bytes.size())
            return false;
    }
    return SystemTextsSound(file, systemOriginals, systemStrings, segments) &&
           SystemTextsSound(file, systemTranslations, systemStrings, segments);
}

}  // namespace

bool IsSoundCatalogue(std::string_view bytes)
{
    constexpr std::uint32_t kMagic = 0x950412de;
    constexpr std::size_t kHeaderBytes = 28;
    if (bytes.size() < kHeaderBytes)
        return false;
    const bool swapped = Word32(bytes, 0, false) != kMagic;
    if (swapped && Word32(bytes, 0, true) != kMagic)
        return false;
    const CatalogueBytes file{bytes, swapped};
    const std::uint32_t revision = file.Word(4);
    const std::uint32_t strings = file.Word(8);
    const std::uint32_t originals = file.Word(12);
    const std::uint32_t translations = file.Word(16);
    const std::uint32_t hashSize = file.Word(20);
    const std::uint32_t hashAt = file.Word(24);
    if ((revision >> 16) > 1 || !file.Within(originals, strings, 8) || !file.Within(translations, strings, 8))
        return false;
    for (std::uint32_t i = 0; i < strings; ++i) {
        if (!file.Text(originals + std::size_t{8} * i) || !file.Text(translations + std::size_t{8} * i))
            return false;
    }
    std::uint64_t systemStrings = 0;
    if (revision > 0 && !SystemPartSound(file, systemStrings))
        return false;
    // A table of two entries or fewer is not used.
    if (hashSize > 2) {
        if (!file.Within(hashAt, hashSize, 4))
            return false;
        for (std::uint32_t i = 0; i < hashSize; ++i) {
            if (file.Word(hashAt + std::size_t{4} * i) > strings + systemStrings)
                return false;
        }
    }
    return true;
}

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

}  // namespace velmora
