// SPDX-License-Identifier: MIT
#include "NetworkWindow.h"

#include "Look.h"
#include "QtText.h"

#include "fieldbook/Translation.h"
#include "state/OpenBook.h"
#include "state/ToolRuns.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <filesystem>

namespace velmora::app {

namespace {

constexpr int kPointColumn = 0;
constexpr int kFixedColumn = 1;
constexpr int kHeightColumn = 2;

QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

QTableWidget* MakeTable(const char* name, const QStringList& headers, QWidget* parent)
{
    auto* table = new QTableWidget(parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setColumnCount(static_cast<int>(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setTabKeyNavigation(false);  // Tab goes on to the next control
    return table;
}

QTableWidgetItem* ReadOnly(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

}  // namespace

NetworkWindow::NetworkWindow(OpenBook& book, const std::string& bookPath, QWidget* parent)
    : QDialog(parent), bookPath_(bookPath), toleranceClass_(book.toleranceClass())
{
    setObjectName(QStringLiteral("NetworkWindow"));
    setWindowTitle(FromUtf8(Tr("Network adjustment")));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    BuildMessage(layout);
    auto* columns = new QHBoxLayout;
    layout->addLayout(columns, 1);
    BuildNodeColumn(columns);
    BuildResultColumn(columns);
    BuildButtons(layout);

    chooseHeights_ = [this](QWidget*, const QString& proposed) { return AskFile(proposed, false); };
    chooseSave_ = [this](QWidget*, const QString& proposed) { return AskFile(proposed, true); };
    openFile_ = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    ReadNetwork(book);
    resize(900, 600);
}

void NetworkWindow::BuildMessage(QVBoxLayout* layout)
{
    message_ = NewMessageLine(this);
    layout->addWidget(message_);
}

void NetworkWindow::BuildNodeColumn(QHBoxLayout* columns)
{
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 2);
    BuildNodeTable(this);
    left->addWidget(new QLabel(FromUtf8(Tr("Nodes:")), this));
    left->addWidget(nodes_, 1);
    heightsFile_ = new QPushButton(FromUtf8(Tr("Heights from a &file…")), this);
    heightsFile_->setObjectName(QStringLiteral("HeightsFile"));
    left->addWidget(heightsFile_);
    auto* sigma = new QLabel(Utf8(NetworkTool::SigmaText(toleranceClass_)), this);
    sigma->setObjectName(QStringLiteral("Sigma"));
    left->addWidget(sigma);
    adjust_ = new QPushButton(FromUtf8(Tr("&Adjust")), this);
    adjust_->setObjectName(QStringLiteral("Adjust"));
    left->addWidget(adjust_);
    connect(heightsFile_, &QPushButton::clicked, this, &NetworkWindow::HeightsFileClick);
    connect(adjust_, &QPushButton::clicked, this, &NetworkWindow::AdjustClick);
}

void NetworkWindow::BuildResultColumn(QHBoxLayout* columns)
{
    auto* right = new QVBoxLayout;
    columns->addLayout(right, 5);
    right->addWidget(new QLabel(FromUtf8(Tr("Catalogue of heights:")), this));
    catalogue_ = MakeTable("Catalogue",
                           {FromUtf8(TrIn("network table header", "Point")), FromUtf8(Tr("H, m")),
                            FromUtf8(Tr("RMS, m")), FromUtf8(TrIn("network table header", "Fixed"))},
                           this);
    catalogue_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    right->addWidget(catalogue_, 3);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("Summary"));
    summary_->setWordWrap(true);
    right->addWidget(summary_);
    right->addWidget(new QLabel(FromUtf8(Tr("Sections:")), this));
    sections_ = MakeTable("Sections",
                          {FromUtf8(TrIn("network table header", "Run")),
                           FromUtf8(TrIn("network table header", "From")),
                           FromUtf8(TrIn("network table header", "To")),
                           FromUtf8(TrIn("network table header", "Stations")), FromUtf8(Tr("h, m")),
                           FromUtf8(Tr("L, m")), FromUtf8(Tr("v, m")), QStringLiteral("w")},
                          this);
    sections_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    right->addWidget(sections_, 3);
    right->addWidget(new QLabel(FromUtf8(Tr("Warnings:")), this));
    warnings_ = new QListWidget(this);
    warnings_->setObjectName(QStringLiteral("Warnings"));
    warnings_->setSelectionMode(QAbstractItemView::NoSelection);
    warnings_->setWordWrap(true);
    warnings_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    right->addWidget(warnings_, 1);
}

void NetworkWindow::BuildButtons(QVBoxLayout* layout)
{
    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    buttons->addStretch(1);
    save_ = new QPushButton(FromUtf8(Tr("&Save…")), this);
    save_->setObjectName(QStringLiteral("Save"));
    save_->setEnabled(false);
    buttons->addWidget(save_);
    auto* close = new QPushButton(FromUtf8(TrIn("window button", "Close")), this);
    close->setObjectName(QStringLiteral("Close"));
    buttons->addWidget(close);
    connect(save_, &QPushButton::clicked, this, &NetworkWindow::SaveClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void NetworkWindow::ReadNetwork(const OpenBook& book)
{
    std::string error;
    if (tool_.Read(book, ToolRunNumbers(book.runList()),
                   std::filesystem::path(bookPath_).filename().string(), error)) {
        ShowNodes(tool_.nodes());
    } else {
        ShowMessage(FromUtf8(Fill(Tr("The network cannot be adjusted: {1}"), {error})));
        heightsFile_->setEnabled(false);
        adjust_->setEnabled(false);
    }
}

void NetworkWindow::BuildNodeTable(QWidget* parent)
{
    nodes_ = MakeTable("Nodes",
                       {FromUtf8(TrIn("network table header", "Point")),
                        FromUtf8(TrIn("node table header", "fixed")), FromUtf8(Tr("Height, m"))},
                       parent);
    nodes_->setEditTriggers(QAbstractItemView::AllEditTriggers);
}

void NetworkWindow::ShowNodes(const std::vector<NodeChoice>& rows)
{
    nodes_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const NodeChoice& row = rows[static_cast<std::size_t>(r)];
        auto* point = ReadOnly(FromCp1251(row.point));
        point->setData(Qt::UserRole, QByteArray::fromStdString(row.point));
        nodes_->setItem(r, kPointColumn, point);
        auto* fixed = new QTableWidgetItem;
        fixed->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        fixed->setCheckState(row.fixed ? Qt::Checked : Qt::Unchecked);
        nodes_->setItem(r, kFixedColumn, fixed);
        nodes_->setItem(r, kHeightColumn, new QTableWidgetItem(Utf8(row.heightText)));
    }
    nodes_->resizeColumnsToContents();
}

std::vector<NodeChoice> NetworkWindow::TypedNodes() const
{
    std::vector<NodeChoice> rows;
    for (int r = 0; r < nodes_->rowCount(); ++r) {
        rows.push_back({nodes_->item(r, kPointColumn)->data(Qt::UserRole).toByteArray().toStdString(),
                        nodes_->item(r, kFixedColumn)->checkState() == Qt::Checked,
                        nodes_->item(r, kHeightColumn)->text().toStdString()});
    }
    return rows;
}

bool NetworkWindow::FixPoint(const QString& point, const QString& heightText)
{
    for (int r = 0; r < nodes_->rowCount(); ++r) {
        if (nodes_->item(r, kPointColumn)->text() == point) {
            nodes_->item(r, kFixedColumn)->setCheckState(Qt::Checked);
            nodes_->item(r, kHeightColumn)->setText(heightText);
            return true;
        }
    }
    return false;
}

void NetworkWindow::ShowMessage(const QString& text)
{
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
}

QString NetworkWindow::AskFile(const QString& proposed, bool save)
{
    QFileDialog dialog(this);
    dialog.setObjectName(save ? QStringLiteral("SaveResultsDialog") : QStringLiteral("HeightsDialog"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters({QStringLiteral("*.xls (*.xls)"), QStringLiteral("*.xlsx (*.xlsx)"),
                               QStringLiteral("*.csv (*.csv)")});
        dialog.setDefaultSuffix(QStringLiteral("xls"));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(filter.mid(2, filter.indexOf(QLatin1Char(' ')) - 2));
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

void NetworkWindow::HeightsFileClick()
{
    const QString chosen =
        chooseHeights_(this, FromPath(std::filesystem::path(bookPath_).parent_path().string()));
    if (chosen.isEmpty())
        return;
    std::vector<NodeChoice> rows = TypedNodes();
    std::string error;
    if (!tool_.ApplyFixedHeightsFile(ToPath(chosen), rows, error)) {
        ShowMessage(FromUtf8(Fill(Tr("Heights not read: {1}"), {error})));
        return;
    }
    ShowMessage({});
    ShowNodes(rows);
}

void NetworkWindow::AdjustClick()
{
    std::vector<FixedHeight> fixed;
    std::string error;
    NetworkAdjustment result;
    if (!NetworkTool::TypedFixedHeights(TypedNodes(), fixed, error) ||
        !tool_.Adjust(fixed, toleranceClass_, result, error)) {
        adjusted_ = false;
        save_->setEnabled(false);
        catalogue_->setRowCount(0);
        sections_->setRowCount(0);
        warnings_->clear();
        summary_->clear();
        ShowMessage(FromUtf8(Fill(Tr("The network cannot be adjusted: {1}"), {error})));
        return;
    }
    ShowMessage({});
    result_ = std::move(result);
    adjusted_ = true;
    save_->setEnabled(true);
    ShowResults();
}

void NetworkWindow::ShowResults()
{
    const std::vector<CatalogueRow> catalogue = NetworkTool::CatalogueRows(result_);
    catalogue_->setRowCount(static_cast<int>(catalogue.size()));
    for (int r = 0; r < static_cast<int>(catalogue.size()); ++r) {
        const CatalogueRow& row = catalogue[static_cast<std::size_t>(r)];
        catalogue_->setItem(r, 0, ReadOnly(Utf8(row.point)));
        catalogue_->setItem(r, 1, ReadOnly(Utf8(row.height)));
        catalogue_->setItem(r, 2, ReadOnly(Utf8(row.sigma)));
        catalogue_->setItem(r, 3, ReadOnly(Utf8(row.fixed)));
    }
    catalogue_->resizeColumnsToContents();

    summary_->setText(Utf8(NetworkTool::SummaryText(result_)));

    const std::vector<SectionRow> sections = NetworkTool::SectionRows(result_);
    sections_->setRowCount(static_cast<int>(sections.size()));
    for (int r = 0; r < static_cast<int>(sections.size()); ++r) {
        const SectionRow& row = sections[static_cast<std::size_t>(r)];
        for (int c = 0; c < static_cast<int>(row.cells.size()); ++c) {
            QTableWidgetItem* item = ReadOnly(Utf8(row.cells[static_cast<std::size_t>(c)]));
            if (row.outlier)
                item->setForeground(kFlagRed);
            sections_->setItem(r, c, item);
        }
    }
    sections_->resizeColumnsToContents();

    warnings_->clear();
    for (const std::string& line : tool_.Warnings(result_))
        warnings_->addItem(Utf8(line));
    if (warnings_->count() == 0)
        warnings_->addItem(FromUtf8(Tr("No warnings.")));
}

void NetworkWindow::SaveClick()
{
    if (!adjusted_)
        return;
    std::filesystem::path proposed(bookPath_);
    proposed.replace_extension(".xls");
    const QString chosen = chooseSave_(this, FromPath(proposed.string()));
    if (chosen.isEmpty())
        return;
    std::string error;
    const std::string className = ClassName(toleranceClass_);
    if (!tool_.Save(result_, ToPath(chosen), bookPath_, className, error)) {
        ShowMessage(FromUtf8(Fill(Tr("Results not saved: {1}"), {error})));
        return;
    }
    ShowMessage({});
    openFile_(chosen);
}

}  // namespace velmora::app
