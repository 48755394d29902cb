// SPDX-License-Identifier: MIT
#include "cli/Json.h"

#include "fieldbook/Cp1251.h"
#include "runs/Rounding.h"

#include <cmath>

namespace velmora::cli {

std::string JsonString(std::string_view bytes)
{
    const std::string utf8 = Cp1251ToUtf8(bytes);
    std::string json = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (byte < 0x20) {
                static const char kHex[] = "0123456789abcdef";
                json += "\\u00";
                json += kHex[byte >> 4];
                json += kHex[byte & 0xF];
            } else {
                json += c;
            }
        }
    }
    return json + "\"";
}

std::string JsonNumber(double value, bool applies)
{
    if (!applies || !std::isfinite(value))
        return "null";
    return ShortestText(value);
}

}  // namespace velmora::cli
