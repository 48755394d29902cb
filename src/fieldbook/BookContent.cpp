// SPDX-License-Identifier: MIT
#include "fieldbook/BookContent.h"

#include "fieldbook/FieldBookLayout.h"
#include "fieldbook/MeasurementRecord.h"

#include <algorithm>

namespace velmora {

namespace {

// Only this much of the beginning is looked at: enough to tell, and cheap for any size.
constexpr std::size_t kSniffBytes = 4096;

bool LooksBinary(std::string_view head)
{
    std::size_t control = 0;
    for (const char c : head) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0)
            return true;
        if ((byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f') || byte == 0x7f)
            ++control;
    }
    // A stray control byte can stand in a text; one in ten cannot.
    return control * 10 > head.size();
}

std::string_view FirstNonEmptyLine(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            return line;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return {};
}

}  // namespace

bool HoldsFieldBookLine(const RecordList& records)
{
    return std::any_of(records.begin(), records.end(), [](const MeasurementRecord& record) {
        return !record.skipped() || record.layout().IsEventLine(record.lineText());
    });
}

const BookFormat* FormatOfText(std::string_view text)
{
    const std::string_view line = FirstNonEmptyLine(text.substr(0, kSniffBytes));
    if (line.empty())
        return nullptr;
    const FieldBookLayout& layout = LayoutAt(LayoutIndexOf(line));
    return layout.RecognitionTellsTheBook() ? &layout.Format() : nullptr;
}

BookContent ForeignContentOf(std::string_view text)
{
    constexpr std::string_view kOleMagic = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    constexpr std::string_view kZipMagic = "PK\x03\x04";
    if (text.empty())
        return BookContent::Empty;
    if (text.starts_with(kOleMagic))
        return BookContent::XlsWorkbook;
    if (text.starts_with(kZipMagic))
        return BookContent::ZipArchive;
    const std::string_view head = text.substr(0, kSniffBytes);
    if (LooksBinary(head))
        return BookContent::BinaryData;
    if (FormatOfText(head))
        return BookContent::BookWithoutRuns;
    return BookContent::OtherText;
}

BookContent BookContentOf(const RecordList& records)
{
    return HoldsFieldBookLine(records) ? BookContent::FieldBook : ForeignContentOf(records.text());
}

}  // namespace velmora
