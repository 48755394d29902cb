// SPDX-License-Identifier: MIT
#include "state/MainWindowState.h"

#include "export/Export.h"
#include "fieldbook/Cp1251.h"
#include "fieldbook/Translation.h"

namespace velmora {

namespace messages {
const char* const kStartOpenFailed = N_("The file was not opened or could not be opened.");
const char* const kOpenFailed = N_("Error opening the file");
const std::string kErrorWord = "ERROR";
const char* const kStepBookUnreadable =
    N_("Back/Forward not done: the field book is gone or cannot be read; nothing shown was changed.");
const char* const kStepBookChanged =
    N_("Back/Forward not done: the field book changed on disk since it was opened; nothing shown was changed.");
const char* const kSavedWithoutEdits =
    N_("Saved without the grid's edits: DiNi lines are written as read; the edits are only in the "
       "journal and the export.");
}  // namespace messages

MainWindowState::MainWindowState() : label2_(ClassLabelText(kStartClass)) {}

void MainWindowState::LoadStarted(const std::string& path)
{
    label1_.clear();
    status_ = {StatusText::Kind::Path, path};
}

bool MainWindowState::OpenAtStart(const std::string& path)
{
    return Open(path, messages::kStartOpenFailed);
}

bool MainWindowState::OpenChosenFile(const std::string& path)
{
    lastChosenFile_ = path;
    return Open(path, messages::kOpenFailed);
}

bool MainWindowState::Open(const std::string& path, const char* failureMessage)
{
    if (OpenBook::Open(path))
        return true;
    status_ = {StatusText::Kind::Message, Utf8ToCp1251(Tr(failureMessage))};
    label1_ = messages::kErrorWord;
    return false;
}

bool MainWindowState::SaveMeasurementFile(const std::string& path, Failure& failure)
{
    saveDialogFileName_ = path;
    const bool editsLeftOut = SaveLeavesOutEdits();
    if (!OpenBook::SaveMeasurementFile(path, failure))
        return false;
    if (editsLeftOut)
        status_ = {StatusText::Kind::Message, Utf8ToCp1251(Tr(messages::kSavedWithoutEdits))};
    return true;
}

void MainWindowState::StepRefused(BookOnDisk found, const Failure&)
{
    const char* message = found == BookOnDisk::Changed ? messages::kStepBookChanged : messages::kStepBookUnreadable;
    status_ = {StatusText::Kind::Message, Utf8ToCp1251(Tr(message))};
}

ExportPreparation MainWindowState::PrepareExport(std::string startPoint, std::string_view heightText) const
{
    ExportPreparation preparation = OpenBook::PrepareExport(std::move(startPoint), heightText);
    if (!preparation.ready)
        return preparation;
    // Run numbers are Windows-1251 bytes; the proposed name is a file name of this system.
    std::vector<std::string> runsInFileNames;
    for (const std::string& run : preparation.request.pendingRuns)
        runsInFileNames.push_back(Cp1251ToUtf8(run));
    preparation.request.proposedFileName = BuildExportFileName(runsInFileNames, lastChosenFile_);
    return preparation;
}

ExportOutcome MainWindowState::RunExport(const ExportRequest& request, const std::string& chosenPath)
{
    saveDialogFileName_.clear();
    return OpenBook::RunExport(request, chosenPath);
}

void MainWindowState::ShowClassLabel()
{
    label2_ = ClassLabelText(toleranceClass());
}

}  // namespace velmora
