// SPDX-License-Identifier: MIT
#pragma once

#include "workbook/WorkbookWriter.h"

#include <sstream>
#include <string>
#include <vector>

namespace velmora::testing {

/// Records every call as one line of text, so tests can check what was written and in what
/// order: "sheet 3-12", "text 1 1 A", "number 1 2 1000", "red 3 1", "format", "save x.xls",
/// "add sheet B", "format 3".
class RecordingWorkbook final : public WorkbookWriter {
public:
    std::vector<std::string> calls;

    void SetSheetName(std::string_view name) override { calls.push_back("sheet " + std::string(name)); }
    void WriteText(int row, int column, std::string_view text) override
    {
        calls.push_back(Place("text", row, column) + " " + std::string(text));
    }
    void WriteNumber(int row, int column, double value) override
    {
        std::ostringstream number;
        number.precision(17);
        number << value;
        calls.push_back(Place("number", row, column) + " " + number.str());
    }
    void SetFontRed(int row, int column) override { calls.push_back(Place("red", row, column)); }
    void AddSheet(std::string_view name) override { calls.push_back("add sheet " + std::string(name)); }
    void FormatResultColumns() override { calls.push_back("format"); }
    void FormatColumns(int lastColumn) override
    {
        calls.push_back("format " + std::to_string(lastColumn));
    }
    bool Save(const std::string& path, std::string&) override
    {
        calls.push_back("save " + path);
        return true;
    }

private:
    static std::string Place(const char* what, int row, int column)
    {
        return std::string(what) + " " + std::to_string(row) + " " + std::to_string(column);
    }
};

}  // namespace velmora::testing
