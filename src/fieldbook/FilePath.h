// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace velmora {

/// The folder part of a path: everything up to and including its last "/"; empty for a bare
/// name. "/data/book.DAT" gives "/data/", "/book.DAT" gives "/", "book.DAT" gives "".
std::string_view FolderOf(std::string_view path);

/// The file's own name: everything after the last "/".
std::string_view NameOf(std::string_view path);

/// The folder of `path` as a name that can be opened: "." for a bare name, "/" for a file in
/// the root, otherwise the folder without its closing "/".
std::string OpenableFolderOf(std::string_view path);

}  // namespace velmora
