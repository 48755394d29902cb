// SPDX-License-Identifier: MIT
#include "report/ReportHtml.h"

#include "fieldbook/Cp1251.h"
#include "fieldbook/TextConversions.h"
#include "fieldbook/Translation.h"
#include "runs/Rounding.h"

#include <algorithm>
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

namespace {

// HTML's own escape of a character; null for one that stands for itself.
const char* HtmlEscape(char c)
{
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    default: return nullptr;
    }
}

// The opening tag of a cell that holds a number.
constexpr std::string_view kNumberCell = "<td class=\"n\">";

// Bytes that every step of BookText keeps as they are: printable ASCII that HTML does not escape.
bool KeptAsIs(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= ' ' && c <= '~' && !HtmlEscape(c); });
}

}  // namespace

std::string Escaped(std::string_view text)
{
    const std::string utf8 = PrintableUtf8(text);
    std::string html;
    html.reserve(utf8.size());
    for (const char c : utf8) {
        if (const char* escape = HtmlEscape(c))
            html += escape;
        else
            html += c;
    }
    return html;
}

std::string BookText(std::string_view bytes)
{
    std::string html;
    AppendBookText(html, bytes);
    return html;
}

void AppendBookText(std::string& html, std::string_view bytes)
{
    if (KeptAsIs(bytes))
        html += bytes;
    else
        html += Escaped(Cp1251ToUtf8(bytes));
}

std::string Number(double value, int decimals)
{
    std::string text;
    AppendNumber(text, value, decimals);
    return text;
}

void AppendNumber(std::string& html, double value, int decimals)
{
    if (!std::isfinite(value)) {
        html += "\u2014";
        return;
    }
    const std::size_t start = html.size();
    AppendFixedText(html, value, decimals);
    UseDecimalSeparator(html, start);
    if (html[start] == '-')
        html.replace(start, 1, "\u2212");
}

std::string Metres(double metres, int decimals)
{
    std::string text;
    AppendMetres(text, metres, decimals);
    return text;
}

void AppendMetres(std::string& html, double metres, int decimals)
{
    // A number of the page is a few bytes: its text stays in the string's own room.
    std::string number;
    AppendNumber(number, metres, decimals);
    AppendFill(html, Tr("{1} m"), {number});
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
    std::string cell;
    AppendCell(cell, html, numeric);
    return cell;
}

void AppendCell(std::string& html, std::string_view content, bool numeric)
{
    html += numeric ? kNumberCell : "<td>";
    html += content;
    html += "</td>";
}

void AppendNumberCell(std::string& html, double value, int decimals)
{
    html += kNumberCell;
    AppendNumber(html, value, decimals);
    html += "</td>";
}

}  // namespace velmora::report
