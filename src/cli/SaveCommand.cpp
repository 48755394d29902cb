// SPDX-License-Identifier: MIT
#include "cli/Command.h"
#include "fieldbook/Translation.h"

#include "state/OpenBook.h"

#include <ostream>

namespace velmora::cli {

int RunSaveCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err)
{
    const Arguments arguments(args, {"--delete", "--output"}, {});
    if (arguments.positional().size() != 1)
        throw UsageError{Tr("save takes exactly one field book")};
    if (!arguments.HasValue("--output") || arguments.Value("--output").empty())
        throw UsageError{Tr("save needs --output OUT")};
    const std::string& path = arguments.positional().front();
    const std::string output = arguments.Value("--output");

    OpenBook& book = CommandBook();
    if (!OpenFieldBook(path, book, err))
        return kFileError;
    // Every entry of the named runs deleted from the list, as the list's "Удалить" does.
    SelectNamedRuns(book, BookTextList(arguments, "--delete"), path, err);
    book.DeleteSelectedRuns();

    Failure failure;
    if (!book.SaveMeasurementFile(output, failure)) {
        err << "velmora-tesk-cli: "
            << Fill(Tr("cannot write {1}: {2}"), {ControlCharactersShown(output), failure.Text()}) << "\n";
        return kFileError;
    }
    return kSuccess;
}

}  // namespace velmora::cli
