// SPDX-License-Identifier: MIT
#include "StationCheckWindow.h"

#include "Look.h"
#include "QtText.h"

#include "fieldbook/Translation.h"
#include "state/OpenBook.h"
#include "state/ToolRuns.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>

namespace velmora::app {

namespace {


QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

QTableWidget* StationCheckWindow::MakeRunsTable()
{
    auto* runs = new QTableWidget(this);
    runs->setObjectName(QStringLiteral("Runs"));
    runs->setColumnCount(7);
    runs->setHorizontalHeaderLabels({FromUtf8(TrIn("network table header", "Run")),
                                     FromUtf8(TrIn("check table header", "Method")),
                                     FromUtf8(TrIn("network table header", "Stations")),
                                     FromUtf8(Tr("Length, m")), FromUtf8(Tr("fh, mm")),
                                     FromUtf8(Tr("fh allowed, mm")),
                                     FromUtf8(TrIn("check table header", "Instrument"))});
    runs->verticalHeader()->hide();
    runs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    runs->setSelectionMode(QAbstractItemView::NoSelection);
    runs->horizontalHeader()->setStretchLastSection(true);
    runs->setTabKeyNavigation(false);
    return runs;
}

QTableWidget* StationCheckWindow::MakeSectionsTable()
{
    const std::vector<StationCheck::SectionRow> rows = check_->SectionRows();
    const std::vector<std::string> headings = StationCheck::SectionHeadings();
    auto* table = new QTableWidget(static_cast<int>(rows.size()), static_cast<int>(headings.size()), this);
    table->setObjectName(QStringLiteral("Sections"));
    QStringList labels;
    for (const std::string& heading : headings)
        labels << Utf8(heading);
    table->setHorizontalHeaderLabels(labels);
    for (int r = 0; r < table->rowCount(); ++r) {
        const StationCheck::SectionRow& row = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < table->columnCount(); ++c) {
            auto* item = new QTableWidgetItem(Utf8(row.cells[static_cast<std::size_t>(c)]));
            if (row.above)
                item->setForeground(kFlagRed);
            table->setItem(r, c, item);
        }
    }
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setTabKeyNavigation(false);
    table->resizeColumnsToContents();
    return table;
}

StationCheckWindow::StationCheckWindow(OpenBook& book, const std::string& bookPath, QWidget* parent)
    : QDialog(parent),
      check_(std::make_unique<StationCheck>(book, ToolRunNumbers(book.runList()))),
      bookPath_(bookPath)
{
    setObjectName(QStringLiteral("StationCheckWindow"));
    setWindowTitle(FromUtf8(Tr("Station check")));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* limits = new QLabel(this);
    limits->setObjectName(QStringLiteral("Limits"));
    limits->setText(FromUtf8(check_->LimitsText()));
    limits->setWordWrap(true);
    layout->addWidget(limits);

    runs_ = MakeRunsTable();
    layout->addWidget(runs_, 3);

    auto* sectionsLabel = new QLabel(FromUtf8(Tr("Sections levelled twice:")), this);
    layout->addWidget(sectionsLabel);
    sections_ = MakeSectionsTable();
    layout->addWidget(sections_, 2);
    sectionsLabel->setVisible(sections_->rowCount() > 0);
    sections_->setVisible(sections_->rowCount() > 0);

    layout->addWidget(new QLabel(FromUtf8(Tr("Findings:")), this));
    findings_ = new QListWidget(this);
    findings_->setObjectName(QStringLiteral("Findings"));
    findings_->setSelectionMode(QAbstractItemView::NoSelection);
    findings_->setWordWrap(true);
    findings_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(findings_, 2);

    auto* buttons = new QDialogButtonBox(this);
    report_ = buttons->addButton(FromUtf8(Tr("&Report…")), QDialogButtonBox::ActionRole);
    report_->setObjectName(QStringLiteral("Report"));
    QPushButton* close =
        buttons->addButton(FromUtf8(TrIn("window button", "Close")), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("Close"));
    connect(report_, &QPushButton::clicked, this, &StationCheckWindow::ReportClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    chooseReport_ = [this](QWidget*, const QString& proposed) { return AskReportFile(proposed); };
    openFile_ = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    Fill();
    resize(760, 520);
}

StationCheckWindow::~StationCheckWindow() = default;

void StationCheckWindow::Fill()
{
    const std::vector<StationCheck::Row> rows = check_->Rows();
    runs_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const StationCheck::Row& row = rows[static_cast<std::size_t>(r)];
        const std::string cells[] = {row.run,        row.method,  row.stations,  row.length,
                                     row.misclosure, row.allowed, row.instrument};
        for (int c = 0; c < 7; ++c) {
            auto* item = new QTableWidgetItem(Utf8(cells[c]));
            if ((c == 4 && row.beyondTolerance) || (c == 6 && row.instrumentDisagrees))
                item->setForeground(kFlagRed);
            runs_->setItem(r, c, item);
        }
        if (row.findings.empty())
            continue;
        auto* heading = new QListWidgetItem(
            FromUtf8(velmora::Fill(TrIn("finding heading", "Run {1}"), {row.run})), findings_);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        for (const std::string& line : row.findings) {
            auto* item = new QListWidgetItem(QStringLiteral("    ") + Utf8(line), findings_);
            item->setForeground(kFlagRed);
        }
    }
    runs_->resizeColumnsToContents();
    if (findings_->count() == 0)
        new QListWidgetItem(FromUtf8(Tr("No findings.")), findings_);
}

QString StationCheckWindow::AskReportFile(const QString& proposed)
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("ReportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({FromUtf8(Tr("Report (*.html)"))});
    dialog.setDefaultSuffix(QStringLiteral("html"));
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void StationCheckWindow::ReportClick()
{
    const QString chosen = chooseReport_(this, FromPath(ProposedReportName(bookPath_)));
    if (chosen.isEmpty())
        return;
    const std::string page =
        check_->ReportPage(std::filesystem::path(bookPath_).filename().string());
    std::string error;
    if (!SaveReportPage(page, ToPath(chosen), bookPath_, error)) {
        const QString text = FromUtf8(velmora::Fill(Tr("Report not saved: {1}"), {error}));
        if (showMessage_)
            showMessage_(text);
        else
            QMessageBox(QMessageBox::Warning, kProgramName, text, QMessageBox::Ok, this).exec();
        return;
    }
    openFile_(chosen);
}

}  // namespace velmora::app
