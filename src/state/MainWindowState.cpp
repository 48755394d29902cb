#include "state/MainWindowState.h"

#include "fieldbook/MeasurementFile.h"
#include "fieldbook/TextConversions.h"

namespace velmora {

namespace messages {
const std::string kStartOpenFailed =
    "\xD4\xE0\xE9\xEB \xED\xE5 \xEE\xF2\xEA\xF0\xFB\xF2 \xE8\xEB\xE8 \xED\xE5 "
    "\xEE\xF2\xEA\xF0\xFB\xEB\xF1\xFF.";
const std::string kOpenFailed =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xEF\xF0\xE8 \xEE\xF2\xEA\xF0\xFB\xF2\xE8\xE8 \xF4\xE0\xE9\xEB\xE0";
const std::string kErrorWord = "ERROR";
}  // namespace messages

MainWindowState::MainWindowState() : label2_(ClassLabelText(kStartClass))
{
    ResetGrid();
}

const RunCatalog& MainWindowState::Catalog()
{
    if (!catalog_)
        catalog_ = std::make_unique<RunCatalog>(records_);
    return *catalog_;
}

bool MainWindowState::LoadMeasurementFile(const std::string& path)
{
    runList_.Clear();
    ResetGrid();
    records_.clear();
    catalog_.reset();
    label1_.clear();
    status_ = {StatusText::Kind::Path, path};

    if (!ReadMeasurementFile(path, records_, lastLoadError_))
        return false;
    lastLoadError_.clear();
    runList_.Fill(CollapsedRunNumbers(records_), Catalog(), toleranceCoefficient_);
    return true;
}

bool MainWindowState::OpenAtStart(const std::string& path)
{
    if (!LoadMeasurementFile(path)) {
        status_ = {StatusText::Kind::Message, messages::kStartOpenFailed};
        label1_ = messages::kErrorWord;
        return false;
    }
    if (recorder_)
        recorder_->RecordOpen(path, toleranceCoefficient_);
    return true;
}

bool MainWindowState::OpenChosenFile(const std::string& path)
{
    if (!LoadMeasurementFile(path)) {
        status_ = {StatusText::Kind::Message, messages::kOpenFailed};
        label1_ = messages::kErrorWord;
        return false;
    }
    if (recorder_)
        recorder_->RecordOpen(path, toleranceCoefficient_);
    return true;
}

bool MainWindowState::SaveMeasurementFile(const std::string& path, std::string& error) const
{
    return WriteMeasurementFile(path, records_, runList_.ListedRunNumbers(), error);
}

void MainWindowState::SetSelection(const std::vector<bool>& selected)
{
    for (std::size_t i = 0; i < runList_.size() && i < selected.size(); ++i)
        runList_.SetSelected(i, selected[i]);
}

void MainWindowState::ClickCheck()
{
    FillGridFromSelection();
    if (recorder_)
        recorder_->RecordListState(runList_);
}

void MainWindowState::SelectAllRuns(bool selected)
{
    runList_.SelectAll(selected);
    ClickCheck();
}

void MainWindowState::DeleteSelectedRuns()
{
    runList_.RemoveSelected();
    ClickCheck();
    // The delete command records the list once more itself: undoing a deletion takes two steps.
    if (recorder_)
        recorder_->RecordListState(runList_);
}

void MainWindowState::ChooseClass(ToleranceClass toleranceClass)
{
    toleranceCoefficient_ = CoefficientOf(toleranceClass);
    RefreshRunList();
    if (recorder_)
        recorder_->RecordClassChange(toleranceCoefficient_);
}

void MainWindowState::RefreshRunList()
{
    runList_.Refresh(Catalog(), toleranceCoefficient_);
    ShowClassLabel();
}

void MainWindowState::ShowClassLabel()
{
    // A coefficient that is none of the four leaves the caption as it was.
    if (const auto toleranceClass = ClassOfCoefficient(toleranceCoefficient_))
        label2_ = ClassLabelText(*toleranceClass);
}

void MainWindowState::ResetGrid()
{
    grid_.Reset();
}

void MainWindowState::FillGrid(const RunNumberSet& runNumbers)
{
    grid_.Fill(records_, runNumbers);
}

void MainWindowState::FillGridFromSelection()
{
    FillGrid(runList_.SelectedRunNumbers());
}

void MainWindowState::OnSetEditText(int row, int column, std::string text)
{
    grid_.SetCell(records_, row, column, std::move(text));
    const std::size_t* record = grid_.RecordOfRow(row);
    if (!record)
        return;
    std::array<std::string, 4> cells = grid_.RowCells(records_, row);
    for (std::string& cell : cells)
        cell = std::string(TrimText(cell));
    records_[*record].SetGridFields(cells[0], cells[1], cells[2], cells[3]);
    catalog_.reset();  // the run texts catch up at the next recomputation
    if (recorder_)
        recorder_->RecordCellEdit(row, cells);
}

}  // namespace velmora
