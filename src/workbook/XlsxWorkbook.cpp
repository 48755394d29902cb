// SPDX-License-Identifier: MIT
#include "workbook/XlsxWorkbook.h"

#include "fieldbook/AtomicFile.h"
#include "fieldbook/FilePath.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"
#include "workbook/LibraryCall.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <dlfcn.h>
#include <fcntl.h>
#include <new>
#include <unistd.h>
#include <vector>

namespace velmora {

namespace {

constexpr double kResultFontSize = 12;     // points
constexpr double kResultColumnWidth = 12;  // characters

// The spreadsheet library is loaded when the first .xlsx is written, not when the program
// starts: with the compression and cryptography libraries it brings, it would otherwise add
// about 2 MB to every command and every window, most of which never write an .xlsx.
// VELMORA_XLSXWRITER_SONAME is the library's shared-object name, read from the library the
// program was built against, so the functions below have the types of that header.
struct XlsxLibrary {
    decltype(&::workbook_new_opt) workbook_new_opt = nullptr;
    decltype(&::workbook_add_format) workbook_add_format = nullptr;
    decltype(&::workbook_add_worksheet) workbook_add_worksheet = nullptr;
    decltype(&::workbook_close) workbook_close = nullptr;
    decltype(&::lxw_workbook_free) lxw_workbook_free = nullptr;
    decltype(&::workbook_validate_sheet_name) workbook_validate_sheet_name = nullptr;
    decltype(&::format_set_font_size) format_set_font_size = nullptr;
    decltype(&::format_set_font_color) format_set_font_color = nullptr;
    decltype(&::worksheet_set_column) worksheet_set_column = nullptr;
    decltype(&::worksheet_write_string) worksheet_write_string = nullptr;
    decltype(&::worksheet_write_number) worksheet_write_number = nullptr;
    decltype(&::worksheet_write_formula) worksheet_write_formula = nullptr;
    decltype(&::lxw_strerror) lxw_strerror = nullptr;
    std::string error;  // why the library could not be loaded; empty when it was
};

template <typename Function>
void Bind(void* handle, const char* name, Function& function, std::string& error)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    if (!function && error.empty())
        error = std::string("no ") + name + " in " VELMORA_XLSXWRITER_SONAME;
}

XlsxLibrary LoadXlsxLibrary()
{
    XlsxLibrary library;
    // Stays loaded for the rest of the program.
    void* handle = dlopen(VELMORA_XLSXWRITER_SONAME, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        library.error = why ? why : "cannot load " VELMORA_XLSXWRITER_SONAME;
        return library;
    }
    Bind(handle, "workbook_new_opt", library.workbook_new_opt, library.error);
    Bind(handle, "workbook_add_format", library.workbook_add_format, library.error);
    Bind(handle, "workbook_add_worksheet", library.workbook_add_worksheet, library.error);
    Bind(handle, "workbook_close", library.workbook_close, library.error);
    Bind(handle, "lxw_workbook_free", library.lxw_workbook_free, library.error);
    Bind(handle, "workbook_validate_sheet_name", library.workbook_validate_sheet_name, library.error);
    Bind(handle, "format_set_font_size", library.format_set_font_size, library.error);
    Bind(handle, "format_set_font_color", library.format_set_font_color, library.error);
    Bind(handle, "worksheet_set_column", library.worksheet_set_column, library.error);
    Bind(handle, "worksheet_write_string", library.worksheet_write_string, library.error);
    Bind(handle, "worksheet_write_number", library.worksheet_write_number, library.error);
    Bind(handle, "worksheet_write_formula", library.worksheet_write_formula, library.error);
    Bind(handle, "lxw_strerror", library.lxw_strerror, library.error);
    return library;
}

// The library, loaded on the first call (by one thread, should two export at once).
const XlsxLibrary& Library()
{
    static const XlsxLibrary library = LoadXlsxLibrary();
    return library;
}

}  // namespace

int XlsxWorkbook::MaxRows() const
{
    return static_cast<int>(LXW_ROW_MAX);
}

void XlsxWorkbook::SetSheetName(std::string_view name)
{
    sheets_.back().name = Cp1251ToUtf8(SafeSheetName(name));
}

void XlsxWorkbook::AddSheet(std::string_view name)
{
    sheets_.emplace_back();
    SetSheetName(name);
}

void XlsxWorkbook::WriteText(int row, int column, std::string_view text)
{
    // A workbook's XML cannot hold NUL; it shows as the replacement character instead of
    // cutting the text there.
    std::string utf8 = Cp1251ToUtf8(CellText(text));
    for (std::size_t at = utf8.find('\0'); at != std::string::npos; at = utf8.find('\0', at))
        utf8.replace(at, 1, "\uFFFD");
    sheets_.back().cells[{row, column}].value = std::move(utf8);
}

void XlsxWorkbook::WriteNumber(int row, int column, double value)
{
    sheets_.back().cells[{row, column}].value = value;
}

void XlsxWorkbook::SetFontRed(int row, int column)
{
    sheets_.back().cells[{row, column}].red = true;
}

void XlsxWorkbook::FormatColumns(int lastColumn)
{
    sheets_.back().formattedColumns = lastColumn;
}

// The cell formats of a workbook: plain cells take none.
struct XlsxWorkbook::Formats {
    lxw_format* result = nullptr;     // the result columns: 12 points
    lxw_format* red = nullptr;        // a misclosure beyond tolerance
    lxw_format* redResult = nullptr;  // both
};

int XlsxWorkbook::WriteSheet(lxw_worksheet* sheet, const Sheet& content, const Formats& formats)
{
    const XlsxLibrary& lxw = Library();
    if (content.formattedColumns > 0) {
        const auto last = static_cast<lxw_col_t>(
            std::min<long>(content.formattedColumns, static_cast<long>(LXW_COL_MAX)) - 1);
        if (const lxw_error status =
                lxw.worksheet_set_column(sheet, 0, last, kResultColumnWidth, formats.result))
            return status;
    }
    for (const auto& [place, cell] : content.cells) {
        // The sheet's bounds: a cell outside them is refused, never wrapped onto another.
        if (place.first < 1 || place.first > static_cast<long>(LXW_ROW_MAX) || place.second < 1 ||
            place.second > static_cast<long>(LXW_COL_MAX))
            return LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
        const auto row = static_cast<lxw_row_t>(place.first - 1);
        const auto column = static_cast<lxw_col_t>(place.second - 1);
        const bool inResultColumns = place.second <= content.formattedColumns;
        lxw_format* format = cell.red ? (inResultColumns ? formats.redResult : formats.red)
                                      : (inResultColumns ? formats.result : nullptr);
        lxw_error status = LXW_NO_ERROR;
        if (const auto* text = std::get_if<std::string>(&cell.value)) {
            status = lxw.worksheet_write_string(sheet, row, column, text->c_str(), format);
        } else if (const double number = std::get<double>(cell.value); std::isfinite(number)) {
            status = lxw.worksheet_write_number(sheet, row, column, number, format);
        } else {
            // A value that is no number shows as the spreadsheet's own #NUM! error.
            status = lxw.worksheet_write_formula(sheet, row, column, "=SQRT(-1)", format);
        }
        if (status != LXW_NO_ERROR)
            return status;
    }
    return LXW_NO_ERROR;
}

namespace {
bool ReadBack(const std::string& path, std::string& tail, std::size_t& tailAt);
}

namespace {

// Descriptors the library holds open at once beside one work file per sheet (kept from the
// sheet's making to the close): at the close, the zip it writes and the part it assembles.
constexpr std::size_t kLibraryDescriptors = 2;

// A cause that lies in the system's resources rather than in the workbook: descriptors, disk
// space, memory.
bool IsLackOfResources(int code)
{
    return code == EMFILE || code == ENFILE || code == ENOSPC || code == EDQUOT || code == ENOMEM;
}

// 0 when `count` more descriptors can be opened now; else why not (EMFILE, ENFILE).
int DescriptorsLacking(std::size_t count)
{
    std::vector<int> taken;
    int code = 0;
    try {
        taken.reserve(count);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
    while (taken.size() < count) {
        const int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            code = errno;
            break;
        }
        taken.push_back(fd);
    }
    for (const int fd : taken)
        ::close(fd);
    return code;
}

// A workbook to be written into `temporary`, whose library keeps its work files in
// `workFolder`; null when the library cannot make one.
lxw_workbook* NewWorkbook(const XlsxLibrary& lxw, const std::string& temporary, std::string& workFolder)
{
    lxw_workbook_options options{};
    options.tmpdir = workFolder.data();
    // Each row goes to a work file as soon as the next begins, so the library holds one row
    // at a time: the cells, kept in row order, are all in our memory, where running out of it
    // is reported (the library, short of memory in the middle of a sheet, crashes).
    options.constant_memory = LXW_TRUE;
    return lxw.workbook_new_opt(temporary.c_str(), &options);
}

}  // namespace

bool XlsxWorkbook::AddFormats(lxw_workbook* workbook, Formats& formats)
{
    const XlsxLibrary& lxw = Library();
    formats.result = lxw.workbook_add_format(workbook);
    formats.red = lxw.workbook_add_format(workbook);
    formats.redResult = lxw.workbook_add_format(workbook);
    if (!formats.result || !formats.red || !formats.redResult)
        return false;
    lxw.format_set_font_size(formats.result, kResultFontSize);
    lxw.format_set_font_color(formats.red, LXW_COLOR_RED);
    lxw.format_set_font_color(formats.redResult, LXW_COLOR_RED);
    lxw.format_set_font_size(formats.redResult, kResultFontSize);
    return true;
}

bool XlsxWorkbook::WriteAndClose(lxw_workbook* workbook, std::string& error)
{
    const XlsxLibrary& lxw = Library();
    // Until every sheet is there, a failure frees the workbook without closing it: closing a
    // workbook without sheets adds one, and when that fails too the library crashes.
    auto fail = [&](int code, std::string detail = {}) {
        lxw.lxw_workbook_free(workbook);
        return FailSave(code, error, std::move(detail));
    };
    Formats formats;
    if (!AddFormats(workbook, formats))
        return fail(kOutOfMemory);
    std::vector<lxw_worksheet*> sheets;
    try {
        sheets.reserve(sheets_.size());
    } catch (const std::bad_alloc&) {
        return fail(kOutOfMemory);
    }
    for (const Sheet& content : sheets_) {
        if (lxw.workbook_validate_sheet_name(workbook, content.name.c_str()) != LXW_NO_ERROR)
            return fail(kSheetNameRefused, content.name);
        errno = 0;
        lxw_worksheet* sheet = lxw.workbook_add_worksheet(workbook, content.name.c_str());
        // The name is one the library takes: it lacked a work file or memory.
        if (!sheet)
            return fail(IsLackOfResources(errno) ? errno : kOutOfMemory);
        sheets.push_back(sheet);
    }
    lxw_error status = LXW_NO_ERROR;
    for (std::size_t i = 0; i < sheets.size() && status == LXW_NO_ERROR; ++i)
        status = static_cast<lxw_error>(WriteSheet(sheets[i], sheets_[i], formats));
    errno = 0;
    const lxw_error closed = lxw.workbook_close(workbook);
    const int why = errno;
    if (status == LXW_NO_ERROR)
        status = closed;
    if (status == LXW_ERROR_MEMORY_MALLOC_FAILED)
        return FailSave(kOutOfMemory, error);
    // The library words a file it could not make as a matter of permissions; the system's
    // reason is the true one when it is a lack of descriptors, space or memory.
    if (status != LXW_NO_ERROR && IsLackOfResources(why))
        return FailSave(why, error);
    if (status != LXW_NO_ERROR)
        return FailSave(kWorkbookLibrary, error, lxw.lxw_strerror(status));
    return true;
}

bool XlsxWorkbook::Save(const std::string& path, std::string& error)
{
    const XlsxLibrary& lxw = Library();
    if (!lxw.error.empty())
        return FailSave(kWorkbookLibrary, error, lxw.error);
    AtomicFile file(path);
    if (!file.OpenForLibrary(error)) {
        saveFailure_ = file.failure();
        return false;
    }
    // The library opens its files as it needs them and, short of a descriptor, crashes or
    // names another cause: they are counted out before it starts.
    if (const int code = DescriptorsLacking(sheets_.size() + kLibraryDescriptors))
        return FailSave(code, error);

    // The library's work files go beside the temporary (the target's folder), not into /tmp:
    // a full /tmp must not turn into a workbook of empty parts.
    const std::string& temporary = file.temporaryPath();
    std::string workFolder = OpenableFolderOf(temporary);
    bool written = false;
    int code = 0;
    const bool called = CallLibrary(
        [&] {
            lxw_workbook* workbook = NewWorkbook(lxw, temporary, workFolder);
            written = workbook ? WriteAndClose(workbook, error) : FailSave(kWorkbookNotMade, error);
        },
        code);
    if (!called)
        return FailSave(IsLackOfResources(code) ? code : kOutOfMemory, error);
    if (!written)
        return false;
    // The library can report success for a workbook whose parts it could not write; the file
    // is read back before it may replace anything.
    std::string tail;
    std::size_t tailAt = 0;
    if (!ReadBack(temporary, tail, tailAt))
        return FailSave(kWorkbookNotReadBack, error);
    if (!IsCompleteXlsxFile(tail, error, tailAt))
        return FailSave(kWorkbookIncomplete, error);
    if (file.Commit(error))
        return true;
    saveFailure_ = file.failure();
    return false;
}

namespace {

std::uint32_t Little(std::string_view bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

bool ReadBack(const std::string& path, std::string& tail, std::size_t& tailAt)
{
    // Only the end of the zip is read: its end record and the directory of its parts, which
    // say everything the check needs. The parts themselves may be large.
    constexpr std::size_t kEndRecordBytes = 22;
    std::ifstream in(path, std::ios::binary);
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (!in || size < 0)
        return false;
    auto readFrom = [&](std::size_t at) {
        tail.assign(static_cast<std::size_t>(size) - at, '\0');
        tailAt = at;
        in.seekg(static_cast<std::streamoff>(at));
        return static_cast<bool>(in.read(tail.data(), static_cast<std::streamsize>(tail.size())));
    };
    const auto fileSize = static_cast<std::size_t>(size);
    if (!readFrom(fileSize < kEndRecordBytes ? 0 : fileSize - kEndRecordBytes))
        return false;
    const std::size_t directoryAt = tail.size() == kEndRecordBytes ? Little(tail, 16, 4) : fileSize;
    if (directoryAt < tailAt && !readFrom(directoryAt))
        return false;
    return true;
}

}  // namespace

bool IsCompleteXlsxFile(std::string_view bytes, std::string& error, std::size_t bytesAt)
{
    // The end of the zip's central directory: 22 bytes (plus a comment the library never
    // writes) that give the number of parts and where their directory lies. Places in the
    // file are counted from its start; `bytes` begin at `bytesAt`.
    constexpr std::size_t kEndRecordBytes = 22;
    constexpr std::size_t kEntryBytes = 46;
    error = FailureText(kWorkbookIncomplete);
    if (bytes.size() < kEndRecordBytes)
        return false;
    const std::size_t end = bytesAt + bytes.size() - kEndRecordBytes;
    auto field = [&](std::size_t at, int size) { return Little(bytes, at - bytesAt, size); };
    if (field(end, 4) != 0x06054b50)
        return false;
    const std::uint32_t parts = field(end + 10, 2);
    const std::uint32_t directoryBytes = field(end + 12, 4);
    const std::uint32_t directoryAt = field(end + 16, 4);
    if (parts == 0 || directoryAt < bytesAt || static_cast<std::size_t>(directoryAt) + directoryBytes != end)
        return false;
    // Every part of a workbook has content; an empty one is a part the library failed to write.
    std::size_t at = directoryAt;
    for (std::uint32_t part = 0; part < parts; ++part) {
        if (at + kEntryBytes > end || field(at, 4) != 0x02014b50)
            return false;
        const std::uint32_t packed = field(at + 20, 4);
        const std::uint32_t unpacked = field(at + 24, 4);
        const std::uint32_t localAt = field(at + 42, 4);
        if (unpacked == 0 || static_cast<std::size_t>(localAt) + packed > directoryAt)
            return false;
        at += kEntryBytes + field(at + 28, 2) + field(at + 30, 2) + field(at + 32, 2);
    }
    if (at != end)
        return false;
    error.clear();
    return true;
}

}  // namespace velmora
