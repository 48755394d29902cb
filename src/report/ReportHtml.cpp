// SPDX-License-Identifier: MIT
#include "report/ReportHtml.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "runs/Rounding.h"

#include <cmath>

namespace velmora::report {

const char* const kPageStyle = R"(@page { size: A4; margin: 12mm; }
body { font-family: "DejaVu Sans", "Liberation Sans", Arial, sans-serif; font-size: 9pt;
       color: #000; margin: 0 auto; max-width: 186mm; }
h1 { font-size: 14pt; margin: 0 0 3mm; }
h2 { font-size: 11pt; margin: 5mm 0 2mm; break-after: avoid; }
table { border-collapse: collapse; margin: 0 0 3mm; }
th, td { border: 1px solid #999; padding: 0.6mm 1.2mm; text-align: left; vertical-align: top; }
th { font-weight: normal; background: #f2f2f2; }
)";

std::string Escaped(std::string_view text)
{
    const std::string utf8 = PrintableUtf8(text);
    std::string html;
    html.reserve(utf8.size());
    for (const char c : utf8) {
        switch (c) {
        case '&': html += "&amp;"; break;
        case '<': html += "&lt;"; break;
        case '>': html += "&gt;"; break;
        case '"': html += "&quot;"; break;
        default: html += c;
        }
    }
    return html;
}

std::string BookText(std::string_view bytes)
{
    return Escaped(Cp1251ToUtf8(bytes));
}

std::string Number(double value, int decimals)
{
    if (!std::isfinite(value))
        return "\u2014";
    std::string text = ForPeople(FixedText(value, decimals));
    if (!text.empty() && text.front() == '-')
        text.replace(0, 1, "\u2212");
    return text;
}

std::string Metres(double metres, int decimals)
{
    return Fill(Tr("{1} m"), {Number(metres, decimals)});
}

std::string Millimetres(double metres, int decimals)
{
    return Fill(Tr("{1} mm"), {Number(metres * 1000, decimals)});
}

std::string Kilometres(double metres, int decimals)
{
    return Fill(Tr("{1} km"), {Number(metres / 1000, decimals)});
}

std::string HeaderCell(std::string_view html)
{
    return "<th>" + std::string(html) + "</th>";
}

std::string Cell(std::string_view html, bool numeric)
{
    return (numeric ? "<td class=\"n\">" : "<td>") + std::string(html) + "</td>";
}

}  // namespace velmora::report
