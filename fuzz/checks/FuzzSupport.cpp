// SPDX-License-Identifier: MIT
#include "checks/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace velmora::fuzz {

void Fail(const std::string& message)
{
    throw CheckFailure(message);
}

std::uint8_t ByteReader::Byte()
{
    if (data_.empty())
        return 0;
    const auto value = static_cast<std::uint8_t>(data_.front());
    data_.remove_prefix(1);
    return value;
}

std::uint16_t ByteReader::Word()
{
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
}

std::string_view ByteReader::Take(std::size_t count)
{
    const std::string_view taken = data_.substr(0, count);
    data_.remove_prefix(taken.size());
    return taken;
}

std::string_view ByteReader::Text(std::size_t maxLength)
{
    return Take(Pick(maxLength + 1));
}

std::string_view ByteReader::Rest()
{
    return Take(data_.size());
}

namespace {

struct ScratchFolder {
    std::string path;
    ScratchFolder()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/velmora-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

std::string ScratchPath(std::string_view fileName)
{
    static const ScratchFolder folder;
    return folder.path + "/" + std::string(fileName);
}

bool ReadWholeFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    content = bytes.str();
    return true;
}

void WriteWholeFile(const std::string& path, std::string_view content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    FUZZ_REQUIRE(static_cast<bool>(out), "cannot write the scratch file " + path);
}

std::string Shown(std::string_view bytes)
{
    std::string shown = "\"";
    for (const char c : bytes.substr(0, 200)) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F && c != '"' && c != '\\') {
            shown.push_back(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
            shown += escaped;
        }
    }
    if (bytes.size() > 200)
        shown += "...";
    return shown + "\"";
}

}  // namespace velmora::fuzz
