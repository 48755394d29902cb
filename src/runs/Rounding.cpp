#include "runs/Rounding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velmora {

double RoundTo4(double x)
{
    const double a = std::fabs(x * 10000.0);
    const double c = std::ceil(a);
    const double magnitude = (c - a > 0.5) ? (c - 1.0) * 0.0001 : c * 0.0001;
    return x < 0 ? -magnitude : magnitude;
}

std::string NumberText(double x)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10G", x);
    std::string written = text;

    // %G writes the exponent as E+10 or E-05; the written form has no plus sign and no
    // leading zeros in the exponent.
    const auto e = written.find('E');
    if (e == std::string::npos)
        return written;
    std::string mantissa = written.substr(0, e);
    std::string exponent = written.substr(e + 1);
    std::string sign;
    if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-')) {
        if (exponent[0] == '-')
            sign = "-";
        exponent.erase(0, 1);
    }
    while (exponent.size() > 1 && exponent[0] == '0')
        exponent.erase(0, 1);
    return mantissa + "E" + sign + exponent;
}

}  // namespace velmora
