// SPDX-License-Identifier: MIT
#include "fieldbook/FilePath.h"

namespace velmora {

std::string_view FolderOf(std::string_view path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view NameOf(std::string_view path)
{
    return path.substr(FolderOf(path).size());
}

std::string OpenableFolderOf(std::string_view path)
{
    const std::string_view folder = FolderOf(path);
    if (folder.empty())
        return ".";
    if (folder.size() == 1)
        return "/";
    return std::string(folder.substr(0, folder.size() - 1));
}

}  // namespace velmora
