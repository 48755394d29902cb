// SPDX-License-Identifier: MIT
#pragma once

// The small pieces of the report page's HTML: texts made safe for it, numbers as people of the
// page's language write them, table cells. Each that a page writes at every station has a
// form that appends to the page instead of making a string of its own.

#include <string>
#include <string_view>

namespace velmora {
struct LevellingLimits;
struct LevellingNetwork;
struct NetworkAdjustment;
struct RunQuality;
}  // namespace velmora

namespace velmora::report {

/// The style rules every page of ours begins with, inside its <style>: A4 with its margins, the
/// font, the headings and the tables.
extern const char* const kPageStyle;

/// Text for the page: valid UTF-8 whatever it was given, control characters and bytes of no
/// UTF-8 character shown as \xNN, as the tool's messages show them; then HTML's own escapes.
std::string Escaped(std::string_view text);

/// Field-book bytes (Windows-1251) on the page.
std::string BookText(std::string_view bytes);
void AppendBookText(std::string& html, std::string_view bytes);

/// A number rounded to `decimals` in the language of the page: "−38,5" in Russian, "−38.5" in
/// English (a true minus sign); "—" for a value that is no number.
std::string Number(double value, int decimals);
void AppendNumber(std::string& html, double value, int decimals);

/// A number with its unit as the language writes it.
std::string Metres(double metres, int decimals);
void AppendMetres(std::string& html, double metres, int decimals);
std::string Millimetres(double metres, int decimals);
std::string Kilometres(double metres, int decimals);

/// "<th>…</th>" and "<td>…</td>" around text that is HTML already; `numeric` aligns right.
std::string HeaderCell(std::string_view html);
std::string Cell(std::string_view html, bool numeric = false);
void AppendCell(std::string& html, std::string_view content, bool numeric = false);
/// Cell(Number(value, decimals), true) appended.
void AppendNumberCell(std::string& html, double value, int decimals);

/// ProfileSvg appended to the page.
void AppendProfileSvg(std::string& svg, const RunQuality& quality, const LevellingLimits& limits);

/// The adjustment of the books as a network: the figures of the solution, the heights of the
/// nodes and the sections with their corrections.
std::string AdjustmentSection(const LevellingNetwork& network, const NetworkAdjustment& result);

}  // namespace velmora::report
