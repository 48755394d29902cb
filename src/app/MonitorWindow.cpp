// SPDX-License-Identifier: MIT
#include "MonitorWindow.h"

#include "Look.h"
#include "MonitorProjectDialog.h"
#include "QtText.h"

#include "fieldbook/Translation.h"
#include "state/OpenBook.h"
#include "state/ToolRuns.h"

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QSvgWidget>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>

namespace velmora::app {

namespace {

const QColor kMovedColour(255, 230, 150);
// The charts at the size the core draws them (its viewBox), one under the other.
constexpr int kChartWidth = 640;
constexpr int kChartHeight = 150;

QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

QTableWidgetItem* ReadOnly(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

// A chart's frame: a highlighted one has the selection's colour around it.
void Highlight(QFrame* frame, bool on)
{
    frame->setLineWidth(on ? 3 : 1);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::WindowText, on ? palette.color(QPalette::Highlight)
                                              : QApplication::palette().color(QPalette::WindowText));
    frame->setPalette(palette);
    frame->setProperty("highlighted", on);
}

}  // namespace

MonitorWindow::MonitorWindow(OpenBook& book, const std::string& bookPath, QWidget* parent)
    : QDialog(parent), book_(book), bookPath_(bookPath)
{
    setObjectName(QStringLiteral("MonitorWindow"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    BuildMessage(layout);
    BuildProjectButtons(layout);
    BuildColumns(layout);
    BuildButtons(layout);

    chooseOpen_ = [this](QWidget*, const QString& proposed) {
        return AskFile(proposed, false, {FromUtf8(Tr("Monitoring project (*.vtm)")), QStringLiteral("* (*)")});
    };
    chooseNew_ = [this](QWidget*, const QString& proposed) {
        return AskFile(proposed, true, {FromUtf8(Tr("Monitoring project (*.vtm)"))});
    };
    chooseSheet_ = [this](QWidget*, const QString& proposed) {
        return AskFile(proposed, true,
                       {QStringLiteral("*.xls (*.xls)"), QStringLiteral("*.xlsx (*.xlsx)"), QStringLiteral("*.csv (*.csv)")});
    };
    chooseReport_ = [this](QWidget*, const QString& proposed) {
        return AskFile(proposed, true, {FromUtf8(Tr("Report (*.html)"))});
    };
    askSettings_ = [this] { return AskSettings(); };
    askDate_ = [this](const QString& proposed) { return AskDate(proposed); };
    askQuestion_ = [this](const QString& question) {
        return QMessageBox::question(this, kProgramName, question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    openFile_ = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    ShowProject();
    resize(1100, 760);
}

QPushButton* MonitorWindow::Button(const char* name, const std::string& text, const QKeySequence& key,
                                   void (MonitorWindow::*click)())
{
    auto* button = new QPushButton(FromUtf8(text), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    // A key of its own besides the access letter (which the button's own shortcut keeps): the
    // window is worked by keyboard alone on any keyboard layout. A greyed button ignores it.
    auto* shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
    button->setToolTip(key.toString(QKeySequence::NativeText));
    connect(button, &QPushButton::clicked, this, click);
    return button;
}

void MonitorWindow::BuildMessage(QVBoxLayout* layout)
{
    message_ = NewMessageLine(this);
    layout->addWidget(message_);
}

void MonitorWindow::BuildProjectButtons(QVBoxLayout* layout)
{
    auto* row = new QHBoxLayout;
    layout->addLayout(row);
    row->addWidget(Button("OpenProject", Tr("&Open project…"), QKeySequence(Qt::CTRL | Qt::Key_O),
                          &MonitorWindow::OpenProjectClick));
    row->addWidget(Button("CreateProject", Tr("&New project…"), QKeySequence(Qt::CTRL | Qt::Key_N),
                          &MonitorWindow::CreateProjectClick));
    row->addStretch(1);
}

void MonitorWindow::BuildColumns(QVBoxLayout* layout)
{
    auto* columns = new QHBoxLayout;
    layout->addLayout(columns, 1);

    auto* left = new QVBoxLayout;
    columns->addLayout(left, 2);
    auto* cyclesLabel = new QLabel(FromUtf8(Tr("C&ycles:")), this);
    left->addWidget(cyclesLabel);
    cycles_ = new QListWidget(this);
    cycles_->setObjectName(QStringLiteral("Cycles"));
    cyclesLabel->setBuddy(cycles_);
    left->addWidget(cycles_, 1);
    addCycle_ = Button("AddCycle", Tr("&Add cycle"), QKeySequence(Qt::Key_Insert), &MonitorWindow::AddCycleClick);
    removeCycle_ = Button("RemoveCycle", Tr("&Remove cycle"), QKeySequence(Qt::Key_Delete),
                          &MonitorWindow::RemoveCycleClick);
    auto* cycleButtons = new QHBoxLayout;
    cycleButtons->addWidget(addCycle_);
    cycleButtons->addWidget(removeCycle_);
    left->addLayout(cycleButtons);
    test_ = new QLabel(this);
    test_->setObjectName(QStringLiteral("CycleTest"));
    test_->setWordWrap(true);
    test_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    test_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    left->addWidget(test_, 1);
    connect(cycles_, &QListWidget::currentRowChanged, this, [this](int row) { ShowCycleTest(row + 1); });

    auto* right = new QSplitter(Qt::Vertical, this);
    columns->addWidget(right, 5);
    auto* tableBox = new QWidget(right);
    auto* tableLayout = new QVBoxLayout(tableBox);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    auto* tableLabel = new QLabel(FromUtf8(Tr("&Settlement sheet:")), tableBox);
    tableLayout->addWidget(tableLabel);
    table_ = new QTableWidget(tableBox);
    table_->setObjectName(QStringLiteral("Settlements"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setTabKeyNavigation(false);  // Tab goes on to the next control
    tableLabel->setBuddy(table_);
    tableLayout->addWidget(table_);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &MonitorWindow::HighlightSelected);

    chartArea_ = new QScrollArea(right);
    chartArea_->setObjectName(QStringLiteral("Charts"));
    chartArea_->setWidgetResizable(true);
    auto* charts = new QWidget(chartArea_);
    chartGrid_ = new QGridLayout(charts);
    chartArea_->setWidget(charts);
    right->setSizes({330, 330});
}

void MonitorWindow::BuildButtons(QVBoxLayout* layout)
{
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    buttons->addStretch(1);
    saveSheet_ = Button("SaveSheet", Tr("Save the &sheet…"), QKeySequence(Qt::CTRL | Qt::Key_S),
                        &MonitorWindow::SaveSheetClick);
    report_ = Button("Report", Tr("&Report…"), QKeySequence(Qt::CTRL | Qt::Key_R), &MonitorWindow::ReportClick);
    buttons->addWidget(saveSheet_);
    buttons->addWidget(report_);
    auto* close = new QPushButton(FromUtf8(TrIn("window button", "Close")), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setAutoDefault(false);
    buttons->addWidget(close);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void MonitorWindow::ShowMessage(const QString& text)
{
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
}

void MonitorWindow::ShowProject()
{
    setWindowTitle(FromUtf8(tool_.Caption()));
    const bool open = tool_.IsOpen();
    addCycle_->setEnabled(open);
    const bool anyCycle = !tool_.result().cycles.empty();
    removeCycle_->setEnabled(anyCycle);
    saveSheet_->setEnabled(open && tool_.evaluationError().empty());
    report_->setEnabled(open && tool_.evaluationError().empty());
    if (!tool_.evaluationError().empty())
        ShowMessage(FromUtf8(Fill(Tr("The cycles cannot be computed: {1}"), {tool_.evaluationError()})));
    cycles_->clear();
    for (const std::string& line : tool_.CycleLines())
        cycles_->addItem(Utf8(line));
    test_->clear();
    const std::vector<SettlementRow> rows = tool_.SettlementRows();
    ShowTable(rows);
    ShowCharts(rows);
}

void MonitorWindow::ShowTable(const std::vector<SettlementRow>& rows)
{
    const int cycles = static_cast<int>(tool_.result().cycles.size());
    table_->clear();
    table_->setColumnCount(1 + kColumnsPerCycle * cycles);
    QStringList headers{FromUtf8(TrIn("network table header", "Point"))};
    const char* const parts[kColumnsPerCycle] = {N_("H, m"), N_("settlement, mm"), N_("since the first, mm"),
                                                 N_("rate, mm/day")};
    for (int c = 1; c <= cycles; ++c) {
        const QString heading = Utf8(tool_.CycleHeading(c));
        for (const char* part : parts)
            headers << heading + QLatin1Char('\n') + FromUtf8(Tr(part));
    }
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const SettlementRow& row = rows[static_cast<std::size_t>(r)];
        table_->setItem(r, 0, ReadOnly(Utf8(row.label)));
        for (int c = 0; c < cycles; ++c) {
            const std::optional<SettlementCell>& cell = row.cycles[static_cast<std::size_t>(c)];
            const int first = 1 + kColumnsPerCycle * c;
            if (!cell) {
                for (int k = 0; k < kColumnsPerCycle; ++k)
                    table_->setItem(r, first + k, ReadOnly(QString()));
                continue;
            }
            const std::string* texts[kColumnsPerCycle] = {&cell->height, &cell->settlement, &cell->sinceFirst,
                                                          &cell->rate};
            for (int k = 0; k < kColumnsPerCycle; ++k) {
                QTableWidgetItem* item = ReadOnly(Utf8(*texts[k]));
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                item->setToolTip(Utf8(cell->tip));
                // Red as in the sheet: both settlements of a significant one.
                if (cell->significant && (k == 1 || k == 2))
                    item->setForeground(kFlagRed);
                if (cell->moved)
                    item->setBackground(kMovedColour);
                table_->setItem(r, first + k, item);
            }
        }
    }
    table_->resizeColumnsToContents();
}

void MonitorWindow::ShowCharts(const std::vector<SettlementRow>& rows)
{
    for (QFrame* frame : charts_)
        delete frame;
    charts_.clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto* frame = new QFrame(chartArea_->widget());
        frame->setObjectName(QStringLiteral("Chart"));
        frame->setFrameShape(QFrame::Box);
        auto* inside = new QVBoxLayout(frame);
        const SettlementRow& row = rows[i];
        inside->addWidget(new QLabel(Utf8(row.label), frame));
        auto* chart = new QSvgWidget(frame);
        chart->load(QByteArray::fromStdString(tool_.ChartSvg(i)));
        chart->setFixedSize(kChartWidth, kChartHeight);
        inside->addWidget(chart);
        Highlight(frame, false);
        chartGrid_->addWidget(frame, static_cast<int>(i), 0);
        charts_.push_back(frame);
    }
}

void MonitorWindow::HighlightSelected()
{
    std::vector<bool> selected(charts_.size(), false);
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        if (index.row() < static_cast<int>(selected.size()))
            selected[static_cast<std::size_t>(index.row())] = true;
    }
    bool shown = false;
    for (std::size_t i = 0; i < charts_.size(); ++i) {
        Highlight(charts_[i], selected[i]);
        if (selected[i] && !shown) {
            chartArea_->ensureWidgetVisible(charts_[i]);
            shown = true;
        }
    }
}

void MonitorWindow::ShowCycleTest(int number)
{
    test_->setText(Utf8(tool_.CycleTestText(number)));
}

QString MonitorWindow::AskFile(const QString& proposed, bool save, const QStringList& filters)
{
    QFileDialog dialog(this);
    dialog.setObjectName(save ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
    dialog.setNameFilters(filters);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QString first = filters.constFirst();
        const qsizetype dot = first.indexOf(QStringLiteral("*."));
        dialog.setDefaultSuffix(first.mid(dot + 2, first.indexOf(QLatin1Char(')'), dot) - dot - 2));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            const qsizetype at = filter.indexOf(QStringLiteral("*."));
            dialog.setDefaultSuffix(filter.mid(at + 2, filter.indexOf(QLatin1Char(')'), at) - at - 2));
        });
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<NewProjectInput> MonitorWindow::AskSettings()
{
    const std::vector<std::string> runs = ToolRunNumbers(book_.runList());
    MonitorProjectDialog dialog(
        book_.toleranceClass(),
        [this, runs](const std::string& benchmarks) { return MonitorTool::DefaultMarksText(book_, runs, benchmarks); },
        this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Input();
}

QString MonitorWindow::AskDate(const QString& proposed)
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("CycleDateDialog"));
    dialog.setWindowTitle(FromUtf8(Tr("New cycle")));
    auto* layout = new QFormLayout(&dialog);
    auto* date = new QDateEdit(QDate::fromString(proposed, Qt::ISODate), &dialog);
    date->setObjectName(QStringLiteral("CycleDate"));
    date->setCalendarPopup(true);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    auto* label = new QLabel(FromUtf8(Tr("&Day of the cycle:")), &dialog);
    label->setBuddy(date);
    layout->addRow(label, date);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(FromUtf8(Tr("&Add cycle")));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);  // Return in the date adds the cycle
    buttons->button(QDialogButtonBox::Cancel)->setText(FromUtf8(TrIn("window button", "Cancel")));
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addRow(buttons);
    date->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return date->date().toString(Qt::ISODate);
}

void MonitorWindow::OpenProjectClick()
{
    const QString chosen = chooseOpen_(this, FromPath(std::filesystem::path(bookPath_).parent_path().string()));
    if (chosen.isEmpty())
        return;
    std::string error;
    if (!tool_.Open(ToPath(chosen), error)) {
        ShowMessage(FromUtf8(Fill(Tr("The project is not opened: {1}"), {error})));
        return;
    }
    ShowMessage({});
    ShowProject();
    cycles_->setCurrentRow(cycles_->count() - 1);  // the last cycle's test
    addCycle_->setFocus();
}

void MonitorWindow::CreateProjectClick()
{
    const std::optional<NewProjectInput> input = askSettings_();
    if (!input)
        return;
    const QString chosen = chooseNew_(this, FromPath(MonitorTool::ProposedProjectName(bookPath_)));
    if (chosen.isEmpty())
        return;
    std::string error;
    if (!tool_.Create(ToPath(chosen), *input, error)) {
        ShowMessage(FromUtf8(Fill(Tr("The project is not created: {1}"), {error})));
        return;
    }
    ShowMessage({});
    ShowProject();
    addCycle_->setFocus();
}

void MonitorWindow::AddCycleClick()
{
    if (!tool_.IsOpen())
        return;
    const QString date = askDate_(Utf8(MonitorTool::ProposedCycleDate(bookPath_)));
    if (date.isEmpty())
        return;
    int number = 0;
    std::string error;
    if (!tool_.AddCycle(book_, bookPath_, ToolRunNumbers(book_.runList()), date.toStdString(), number, error)) {
        ShowMessage(FromUtf8(Fill(Tr("The cycle is not added: {1}"), {error})));
        return;
    }
    ShowMessage({});
    ShowProject();
    // The new cycle's benchmarks test, at once; the keys go on in its settlements.
    cycles_->setCurrentRow(number - 1);
    table_->setFocus();
}

void MonitorWindow::RemoveCycleClick()
{
    const int number = cycles_->currentRow() + 1;
    if (number < 1)
        return;
    const CycleResult& cycle = tool_.result().cycles[static_cast<std::size_t>(number) - 1];
    if (!askQuestion_(FromUtf8(Fill(Tr("Remove {1} from the project?"), {CycleText(cycle.number, cycle.date)}))))
        return;
    std::string error;
    if (!tool_.RemoveCycle(number, error)) {
        ShowMessage(FromUtf8(Fill(Tr("The cycle is not removed: {1}"), {error})));
        return;
    }
    ShowMessage({});
    ShowProject();
}

void MonitorWindow::SaveSheetClick()
{
    if (!tool_.IsOpen())
        return;
    const QString chosen = chooseSheet_(this, FromPath(tool_.ProposedOutputName(".xls")));
    if (chosen.isEmpty())
        return;
    std::string error;
    if (!tool_.SaveSheet(ToPath(chosen), bookPath_, error)) {
        ShowMessage(FromUtf8(Fill(Tr("The sheet is not saved: {1}"), {error})));
        return;
    }
    ShowMessage({});
    openFile_(chosen);
}

void MonitorWindow::ReportClick()
{
    if (!tool_.IsOpen())
        return;
    const QString chosen = chooseReport_(this, FromPath(tool_.ProposedOutputName(".html")));
    if (chosen.isEmpty())
        return;
    std::string error;
    if (!tool_.SaveReport(ToPath(chosen), bookPath_, error)) {
        ShowMessage(FromUtf8(Fill(Tr("Report not saved: {1}"), {error})));
        return;
    }
    ShowMessage({});
    openFile_(chosen);
}

}  // namespace velmora::app
