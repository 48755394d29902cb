// SPDX-License-Identifier: MIT
#include "fieldbook/Cp1251.h"

#include <cerrno>
#include <iconv.h>

namespace velmora {

namespace {

// Runs iconv over the whole input; at a byte sequence it cannot convert it writes
// `replacement` and steps over `skip` input bytes.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement)
{
    std::string output;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(input);  // no converter installed: hand the bytes on unchanged

    output.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: an unconvertible or cut-off sequence. Replace one input byte; for
        // UTF-8 input, also step over the continuation bytes of the same character.
        output.append(replacement);
        ++in;
        --inLeft;
        if (std::string_view(from) == "UTF-8") {
            while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) {
                ++in;
                --inLeft;
            }
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return output;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view bytes)
{
    return Convert("UTF-8", "WINDOWS-1251", bytes, "\xEF\xBF\xBD");
}

std::string Utf8ToCp1251(std::string_view utf8)
{
    return Convert("WINDOWS-1251", "UTF-8", utf8, "?");
}

}  // namespace velmora
