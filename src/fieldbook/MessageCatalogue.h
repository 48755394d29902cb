// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A compiled message catalogue (a .mo file) is a header of seven 32-bit words (magic number,
// revision, number of texts, where the tables of original and translated texts begin, size
// and place of the hash table), five more from revision 1.1 on (the texts that depend on the
// system), then the tables of (length, offset) pairs and the texts, each ended by NUL. The C
// library's loader trusts every offset in it: a catalogue cut short or pointing outside itself
// crashes the program at its first text.

/// Whether `bytes` are a whole compiled catalogue: its header, its tables, the descriptors of
/// texts that depend on the system and its hash table lie within it, every text they point at
/// ends with NUL inside it, and the hash table names no text beyond the tables.
bool IsSoundCatalogue(std::string_view bytes);

/// The first catalogue of our text domain in `localeFolder` that the languages chosen now (the
/// message locale and LANGUAGE, as the C library would try them: "ru_RU.UTF-8", "ru_RU.utf8",
/// "ru_RU", "ru"...) would take and that cannot be read or is not sound; empty when there is
/// none. Nothing is looked for in the C locale, which takes no catalogue.
std::string DamagedCatalogue(const std::string& localeFolder);

}  // namespace velmora
