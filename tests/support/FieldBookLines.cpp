// SPDX-License-Identifier: MIT
#include "FieldBookLines.h"

#include "fieldbook/MeasurementFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace velmora::testing {

namespace {

// Puts `value` right-aligned into line[first, first + count), cutting it to the width.
void PutRight(std::string& line, std::size_t first, std::size_t count, std::string_view value)
{
    if (value.size() > count)
        value = value.substr(0, count);
    line.replace(first + count - value.size(), value.size(), value);
}

void PutLeft(std::string& line, std::size_t first, std::size_t count, std::string_view value)
{
    if (value.size() > count)
        value = value.substr(0, count);
    line.replace(first, value.size(), value);
}

std::string M5Frame(int address)
{
    std::string line(119, ' ');
    PutLeft(line, 0, 6, "For M5");
    for (std::size_t column : {6u, 16u, 48u, 71u, 94u, 117u})
        line[column] = '|';
    PutLeft(line, 7, 3, "Adr");
    PutRight(line, 10, 6, std::to_string(address));
    return line;
}

}  // namespace

std::string M5Line(const Observation& o, int address)
{
    std::string line = M5Frame(address);
    PutLeft(line, 17, 3, "KD1");
    PutRight(line, 20, 9, o.point);
    PutRight(line, 29, 15, "12.0 C  2");
    PutRight(line, 44, 4, o.run);
    PutLeft(line, 49, 2, o.code);
    PutRight(line, 51, 15, o.reading);
    PutLeft(line, 66, 5, " m");
    PutLeft(line, 72, 2, "HD");
    PutRight(line, 74, 15, o.distance);
    PutLeft(line, 89, 5, " m");
    return line;
}

std::string M5TextLine(std::string_view text, std::string_view run, int address)
{
    std::string line = M5Frame(address);
    PutLeft(line, 17, 27, std::string("TO  ") + std::string(text));
    PutRight(line, 44, 4, run);
    return line;
}

std::string PlainLine(const Observation& o)
{
    std::string line(66, ' ');
    PutRight(line, 7, 9, o.point);
    PutRight(line, 31, 4, o.run);
    PutLeft(line, 36, 2, o.code);
    PutRight(line, 38, 13, o.reading);
    PutRight(line, 53, 13, o.distance);
    return line;
}

RecordList RecordsOf(const std::vector<Observation>& observations)
{
    RecordList records;
    for (const Observation& observation : observations) {
        MeasurementRecord record = ParseLine(M5Line(observation));
        record.SetSkipped(IsSkippedLine(record));
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<std::string> M5Lines(const std::vector<Observation>& observations)
{
    std::vector<std::string> lines;
    for (const Observation& observation : observations)
        lines.push_back(M5Line(observation));
    return lines;
}

std::vector<std::string> WithStartLine(std::string_view method, std::vector<std::string> lines)
{
    lines.insert(lines.begin(), M5TextLine("Start-Line     " + std::string(method), "7"));
    return lines;
}

RecordList BookOf(const std::vector<std::string>& lines)
{
    return BookOfText(JoinLines(lines));
}

RecordList BookOfText(std::string_view text)
{
    RecordList records;
    ParseMeasurementText(text, records);
    return records;
}

std::string GsiWord(std::string_view index, char unit, long long number, int width)
{
    std::string word(index);
    word.resize(5, '.');
    word += unit;
    word += number < 0 ? '-' : '+';
    const std::string digits = std::to_string(number < 0 ? -number : number);
    word.append(static_cast<std::size_t>(width) - digits.size(), '0');
    return word + digits;
}

std::string GsiPointWord(int block, std::string_view point, int width)
{
    std::string number = std::to_string(block);
    std::string word = "11" + std::string(4 - number.size(), '0') + number + "+";
    word.append(static_cast<std::size_t>(width) - point.size(), '0');
    return word.append(point);
}

std::string GsiLine(const std::vector<std::string>& words)
{
    std::string line = !words.empty() && words.front().size() == 23 ? "*" : "";
    for (const std::string& word : words)
        line += word + " ";
    return line;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view lineEnd)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

namespace {

// The test program's own folder under $TMPDIR, removed with everything in it when the program
// ends, so that runs of the tests leave nothing behind.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        const char* base = std::getenv("TMPDIR");
        path_ = std::string(base && *base ? base : "/tmp") + "/velmora-tests-" +
                std::to_string(getpid());
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace

std::string WriteTemporaryFile(std::string_view name, std::string_view content)
{
    static const TemporaryFolder folder;
    std::filesystem::create_directories(folder.Path());
    const std::string path = folder.Path() + "/" + std::string(name);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> FieldBooksIn(const std::string& folder)
{
    std::vector<std::string> books;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto extension = entry.path().extension().string();
        if (extension == ".DAT" || extension == ".dat")
            books.push_back(entry.path().string());
    }
    std::sort(books.begin(), books.end());
    return books;
}

std::string RealFieldBooksFolder()
{
    if (const char* named = std::getenv("VELMORA_FIELD_BOOKS"); named && *named)
        return named;
    return VELMORA_PUBLIC_FIELD_BOOKS;
}

std::vector<std::string> RealFieldBooks()
{
    return FieldBooksIn(RealFieldBooksFolder());
}

bool InContinuousIntegration()
{
    const char* ci = std::getenv("CI");
    return ci && std::string_view(ci) == "true";
}

std::string CommandOutput(const std::string& command, int* status)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        if (status)
            *status = -1;
        return output;
    }
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int closed = pclose(pipe);
    if (status)
        *status = closed;
    return output;
}

std::vector<std::string> CommandOutputLines(const std::string& command)
{
    std::vector<std::string> lines;
    std::istringstream output(CommandOutput(command));
    for (std::string line; std::getline(output, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace velmora::testing
