// SPDX-License-Identifier: MIT
#include "MainWindow.h"

#include "AboutWindow.h"
#include "BookFileFilters.h"
#include "GridModel.h"
#include "HelpWindow.h"
#include "InstrumentPicture.h"
#include "Look.h"
#include "MonitorWindow.h"
#include "NetworkWindow.h"
#include "NewHeightDialog.h"
#include "QtText.h"
#include "RunListModel.h"
#include "StationCheckWindow.h"

#include "fieldbook/Translation.h"
#include "state/SaveFailure.h"
#include "state/WindowReasons.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QUrl>

namespace velmora::app {

namespace {

// The busy cursor while a book is read: a large one takes a noticeable moment, and the window
// cannot answer meanwhile. Shown at once, before the work starts, and taken back however it ends.
class BusyCursor {
public:
    BusyCursor()
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QGuiApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

constexpr int kClientWidth = 704;
constexpr int kClientHeight = 626;

// The maker's web address follows the name after 27 blanks.
QString MainCaption()
{
    return kProgramName + QString(27, QLatin1Char(' ')) + kMakerWebAddress;
}

// The dialog's own default suffix would turn a folder name typed to open that folder into a
// file beside it ("sub" saved as "sub.DAT", "sub/" as "sub/.DAT"): the dialogs take names
// without it, so that a folder opens, and the suffix is added to the name chosen.
QString WithSuffix(const QString& chosen, const QString& suffix)
{
    if (chosen.isEmpty() || !QFileInfo(chosen).suffix().isEmpty())
        return chosen;
    return chosen + QLatin1Char('.') + suffix;
}

}  // namespace

MainWindow::MainWindow(const std::string& startFile, StartReading when, QWidget* parent)
    : QMainWindow(parent)
{
    setWindowTitle(MainCaption());
    setWindowIcon(DrawApplicationIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setFont(ProgramFont());

    BuildControls();
    BuildMenus();

    chooseOpenFile_ = [this](QWidget*) { return AskOpenFile(); };
    chooseSaveFile_ = [this](QWidget*) { return AskSaveFile(); };
    chooseExportFile_ = [this](QWidget*, const QString& proposed) { return AskExportFileName(proposed); };
    askQuestion_ = [this](const QString& question) {
        return QMessageBox::question(this, kProgramName, question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };
    openWorkbook_ = [](const QString& path) {
        // Failing to open the workbook is no error: it is saved.
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };

    // What the window does while it is created: class II, an empty grid, the start file.
    if (when == StartReading::InConstructor) {
        ReadStartFile(startFile);
    } else {
        pendingStartFile_ = startFile;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        // Input given before the book is read would act on an empty window.
        qApp->installEventFilter(this);
        ShowRebuiltState();
    }

    // Fixed size: the client area below the menu bar, centred on the desktop.
    client_->setFixedSize(kClientWidth, kClientHeight);
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

MainWindow::~MainWindow()
{
    if (pendingStartFile_)
        QGuiApplication::restoreOverrideCursor();  // closed before its book was read
    // The controls go first, while the state they show still exists: an open grid editor
    // hands its text to the state as it closes.
    delete takeCentralWidget();
}

void MainWindow::ReadStartFile(const std::string& startFile)
{
    {
        const BusyCursor busy;
        state_.OpenAtStart(startFile);
    }
    ShowRebuiltState();
}

void MainWindow::ShowRebuiltState()
{
    ShowLabels();
    ShowRunList(true);
    ShowGrid();
}

void MainWindow::paintEvent(QPaintEvent* event)
{
    QMainWindow::paintEvent(event);
    // The first paint is on its way to the screen when this returns; the book is read once
    // the events queued now are handled.
    if (pendingStartFile_ && !startReadingQueued_) {
        startReadingQueued_ = true;
        QTimer::singleShot(0, this, &MainWindow::ReadPendingStartFile);
    }
}

void MainWindow::ReadPendingStartFile()
{
    if (!pendingStartFile_)
        return;
    const std::string startFile = std::move(*pendingStartFile_);
    ReadStartFile(startFile);
    pendingStartFile_.reset();
    qApp->removeEventFilter(this);
    QGuiApplication::restoreOverrideCursor();
}

void MainWindow::SetCompanions(NewHeightDialog* newHeight, HelpWindow* help, AboutWindow* about)
{
    form2_ = newHeight;
    form3_ = help;
    info_ = about;
}

QPushButton* MainWindow::button(int number) const
{
    return (number >= 1 && number <= 7) ? buttons_[number] : nullptr;
}

QAction* MainWindow::menuAction(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

void MainWindow::BuildControls()
{
    client_ = new QWidget(this);
    PaintMoneyGreen(client_);
    setCentralWidget(client_);

    // Created from left to right as the window shows them; Label1 last, over the buttons.
    BuildButtons();
    controlBar1_ = MakePanel("ControlBar1", {0, 48, 49, 561});
    label2_ = new QLabel(controlBar1_);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setGeometry(11, 2, 32, 22);
    BuildRunList();
    controlBar3_ = MakePanel("ControlBar3", {192, 48, 57, 561});
    BuildGrid();
    controlBar2_ = MakePanel("ControlBar2", {664, 48, 41, 561});
    BuildStatusBarAndLabel1();
    BuildPopupMenu();

    // Tab order: Button1, StringGrid1, Button2, Button3, Button4, ListBox1, Button5, Button6,
    // Button7 (the panels and the status bar take no focus).
    QWidget* order[] = {buttons_[1], stringGrid1_, buttons_[2], buttons_[3], buttons_[4],
                        listBox1_,   buttons_[5],  buttons_[6], buttons_[7]};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void MainWindow::BuildButtons()
{
    struct ButtonPlace {
        int number;
        QRect geometry;
        const char* caption;  // the catalogue's English where it is marked
    };
    const ButtonPlace places[] = {
        {1, {0, 0, 160, 25}, N_("Open and read file")},
        {5, {160, 0, 136, 25}, N_("Save to file")},
        {3, {296, 0, 128, 25}, N_(">> To Excel >>")},
        {2, {424, 0, 136, 25}, N_("Show all")},
        {4, {560, 0, 145, 25}, N_("Clear all")},
        {7, {0, 24, 368, 25}, "<-----------------------------------   Back "},
        {6, {368, 24, 337, 25}, "Forward   ----------------------------------->"},
    };
    for (const ButtonPlace& place : places) {
        auto* button = new QPushButton(FromUtf8(Tr(place.caption)), client_);
        button->setObjectName(QStringLiteral("Button%1").arg(place.number));
        button->setGeometry(place.geometry);
        if (place.number <= 4)
            button->setCursor(Qt::PointingHandCursor);
        buttons_[place.number] = button;
    }
    connect(buttons_[1], &QPushButton::clicked, this, &MainWindow::Button1Click);
    connect(buttons_[5], &QPushButton::clicked, this, &MainWindow::Button5Click);
    connect(buttons_[3], &QPushButton::clicked, this, &MainWindow::Button3Click);
    connect(buttons_[2], &QPushButton::clicked, this, &MainWindow::Button2Click);
    connect(buttons_[4], &QPushButton::clicked, this, &MainWindow::Button4Click);
    connect(buttons_[7], &QPushButton::clicked, this, &MainWindow::Button7Click);
    connect(buttons_[6], &QPushButton::clicked, this, &MainWindow::Button6Click);
}

QFrame* MainWindow::MakePanel(const char* name, QRect geometry)
{
    auto* panel = new QFrame(client_);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
}

void MainWindow::BuildRunList()
{
    runListModel_ = new RunListModel(state_, this);
    listBox1_ = new RunListView(client_);
    listBox1_->setObjectName(QStringLiteral("ListBox1"));
    listBox1_->setGeometry(48, 48, 145, 561);
    listBox1_->setModel(runListModel_);
    listBox1_->setItemDelegate(new RunListDelegate(listBox1_));
    listBox1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listBox1_->setUniformItemSizes(true);
    listBox1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listBox1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    listBox1_->viewport()->setCursor(Qt::DragMoveCursor);
    listBox1_->setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette palette = listBox1_->palette();
    palette.setColor(QPalette::Base, RunListDelegate::kListColour);
    listBox1_->setPalette(palette);
    listBox1_->installEventFilter(this);
    listViewport_ = listBox1_->viewport();
    listViewport_->installEventFilter(this);  // the right button opens the menu only
    connect(listBox1_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::OnListSelectionChanged);
}

void MainWindow::BuildGrid()
{
    gridModel_ = new GridModel(state_, this);
    stringGrid1_ = new QTableView(client_);
    stringGrid1_->setObjectName(QStringLiteral("StringGrid1"));
    stringGrid1_->setGeometry(248, 48, 417, 561);
    stringGrid1_->setModel(gridModel_);
    stringGrid1_->setItemDelegate(new GridEditDelegate(stringGrid1_));
    stringGrid1_->verticalHeader()->hide();
    stringGrid1_->verticalHeader()->setDefaultSectionSize(24);
    stringGrid1_->verticalHeader()->setMinimumSectionSize(1);
    stringGrid1_->horizontalHeader()->setDefaultSectionSize(112);
    stringGrid1_->horizontalHeader()->setFixedHeight(24);
    stringGrid1_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    stringGrid1_->horizontalHeader()->setHighlightSections(false);
    const int widths[] = {104, 89, 104, 111};
    for (int column = 0; column < 4; ++column)
        stringGrid1_->setColumnWidth(column, widths[column]);
    stringGrid1_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    stringGrid1_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                  QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::AnyKeyPressed);
    stringGrid1_->setWordWrap(false);
    // Tab goes on to the next control of the window, not to the next cell.
    stringGrid1_->setTabKeyNavigation(false);
}

void MainWindow::BuildStatusBarAndLabel1()
{
    statusBar1_ = new QStatusBar(client_);
    statusBar1_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar1_->setGeometry(0, 607, 704, 19);
    statusBar1_->setSizeGripEnabled(false);
    statusText_ = new QLabel(statusBar1_);
    statusBar1_->addWidget(statusText_, 1);

    // Label1 stands over the buttons' row, so that "ERROR" is seen.
    label1_ = new QLabel(client_);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->move(422, 0);
    label1_->setFixedHeight(13);
    label1_->setAttribute(Qt::WA_TransparentForMouseEvents);
    label1_->raise();
}

void MainWindow::BuildPopupMenu()
{
    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    QAction* n1 = popupMenu1_->addAction(FromUtf8(TrIn("run list menu", "Delete")));
    n1->setObjectName(QStringLiteral("N1"));
    connect(n1, &QAction::triggered, this, &MainWindow::N1Click);
    connect(listBox1_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { popupMenu1_->popup(listBox1_->viewport()->mapToGlobal(at)); });
}

void MainWindow::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto add = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    add(file, "OpenRead1", QStringLiteral("&Open Read"), [this] { Button1Click(); });
    add(file, "SaveFile1", QStringLiteral("Save File"), [this] { Button5Click(); });
    add(file, "ConvertExel1", QStringLiteral("&Convert Exel"), [this] { Button3Click(); });
    add(file, "N2", QStringLiteral("___________"), [] {});
    add(file, "Exit1", QStringLiteral("&Exit"), [this] { close(); });

    QMenu* settings = bar->addMenu(QStringLiteral("Settings"));
    settings->setObjectName(QStringLiteral("Settings1"));
    const char* names[] = {"Iclass1", "IIclass1", "IIIclass1", "IVclass1"};
    for (int i = 0; i < 4; ++i) {
        const ToleranceClass toleranceClass = kAllClasses[i];
        add(settings, names[i], QString::fromStdString(ClassMenuText(toleranceClass)),
            [this, toleranceClass] { ChooseClass(toleranceClass); });
    }

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    add(tools, "CheckStations1", QStringLiteral("&Check stations…"), [this] { CheckStationsClick(); });
    add(tools, "AdjustNetwork1", QStringLiteral("&Adjust network…"), [this] { AdjustNetworkClick(); });
    add(tools, "SettlementMonitoring1", QStringLiteral("&Settlement monitoring…"),
        [this] { SettlementMonitoringClick(); });
    ShowToolsAvailability();

    QAction* help = bar->addAction(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("info1"));
    connect(help, &QAction::triggered, this, &MainWindow::info1Click);
    QAction* info = bar->addAction(QStringLiteral("&Info"));
    info->setObjectName(QStringLiteral("Info2"));
    connect(info, &QAction::triggered, this, &MainWindow::Info2Click);
}

QString MainWindow::AskOpenFile()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Field books of every format first; a book is read by its content whatever its name.
    dialog.setNameFilters(OpenBookFilters());
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!state_.lastChosenFile().empty())
        dialog.selectFile(FromPath(state_.lastChosenFile()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString MainWindow::AskSaveFile()
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(SaveBookFilters());
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // an existing file is replaced
    // A book opened under its format's own suffix (a Leica one) is proposed as one.
    dialog.selectNameFilter(SaveFilterFor(QString::fromStdString(state_.lastChosenFile())));
    // The name chosen last, none after an export (which used the same dialog).
    if (!state_.saveDialogFileName().empty())
        dialog.selectFile(FromPath(state_.saveDialogFileName()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return WithSuffix(dialog.selectedFiles().constFirst(), SuffixOfSaveFilter(dialog.selectedNameFilter()));
}

void MainWindow::Button1Click()
{
    const QString chosen = chooseOpenFile_(this);
    if (chosen.isEmpty())
        return;
    const BusyCursor busy;
    state_.OpenChosenFile(ToPath(chosen));
    ShowRebuiltState();
}

void MainWindow::Button5Click()
{
    const QString chosen = chooseSaveFile_(this);
    if (chosen.isEmpty())
        return;
    Failure failure;
    const bool saved = state_.SaveMeasurementFile(ToPath(chosen), failure);
    ShowLabels();  // a save of edits the file cannot hold says so in the status bar
    if (!saved) {
        const std::string reason = SaveFailureReason(failure.code);
        const QString why =
            reason.empty() ? QString::fromLocal8Bit(failure.Text().c_str()) : FromCp1251(reason);
        ShowMessage(FromUtf8(Fill(Tr("Could not save the file {1}: {2}"),
                                  {chosen.toStdString(), why.toStdString()})),
                    QMessageBox::Warning);
    }
}

QString MainWindow::AskExportFileName(const QString& proposed)
{
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString xls = QStringLiteral("*.xls (*.xls)");
    const QString xlsx = QStringLiteral("*.xlsx (*.xlsx)");
    dialog.setNameFilters({xls, xlsx});
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    // A name typed without a suffix gets the suffix of the chosen filter, never the field
    // book's "DAT": a workbook must not land on a field book.
    return WithSuffix(dialog.selectedFiles().constFirst(),
                      dialog.selectedNameFilter() == xlsx ? QStringLiteral("xlsx") : QStringLiteral("xls"));
}

void MainWindow::ShowMessage(const QString& text, QMessageBox::Icon icon)
{
    if (showMessageWithIcon_) {
        showMessageWithIcon_(text, icon);
        return;
    }
    if (showMessage_) {
        showMessage_(text);
        return;
    }
    QMessageBox box(icon, kProgramName, text, QMessageBox::Ok, this);
    box.exec();
}

void MainWindow::Button3Click()
{
    if (!form2_)
        return;
    QStringList points;
    for (const std::string& point : state_.ExportStartPoints())
        points << FromCp1251(point);
    if (!form2_->Ask(points))
        return;

    const ExportPreparation preparation =
        state_.PrepareExport(ToCp1251(form2_->startPointText()), ToCp1251(form2_->heightText()));
    if (!preparation.ready) {
        ShowMessage(FromCp1251(ExportFailureMessage(preparation.failure)), QMessageBox::Warning);
        return;
    }
    const QString chosen = ChooseExportTarget(FromPath(preparation.request.proposedFileName));
    const ExportOutcome outcome = state_.RunExport(preparation.request, ToPath(chosen));
    for (const ExportNotice notice : outcome.notices) {
        // A workbook not written is a warning, with its cause.
        const QString text = FromCp1251(ExportNoticeText(notice, outcome.failure));
        if (notice == ExportNotice::WorkbookProblem)
            ShowMessage(text, QMessageBox::Warning);
        else
            ShowMessage(text);
    }
    if (outcome.saved)
        openWorkbook_(chosen);
}

QString MainWindow::ChooseExportTarget(QString proposed)
{
    for (;;) {
        const QString chosen = chooseExportFile_(this, proposed);
        if (chosen.isEmpty())
            return {};
        proposed = chosen;
        const OutputRefusal refusal = state_.ExportOutput(ToPath(chosen)).refusal;
        if (refusal != OutputRefusal::None) {
            ShowMessage(FromUtf8(Fill(Tr("Cannot write the workbook to the file {1}: {2}."),
                                      {chosen.toStdString(), OutputRefusalReason(refusal)})),
                        QMessageBox::Warning);
            continue;
        }
        if (QFileInfo::exists(chosen) &&
            !askQuestion_(
                FromUtf8(Fill(Tr("The file {1} already exists. Replace it?"), {chosen.toStdString()}))))
            continue;
        return chosen;
    }
}

void MainWindow::Button2Click()
{
    state_.SelectAllRuns(true);
    ShowRunList(false);
    ShowGrid();
}

void MainWindow::Button4Click()
{
    state_.SelectAllRuns(false);
    ShowRunList(false);
    ShowGrid();
}

void MainWindow::Button7Click()
{
    const BusyCursor busy;  // Back reads the file again
    state_.Back();
    ShowRebuiltState();
}

void MainWindow::Button6Click()
{
    const BusyCursor busy;  // Forward reads the file again
    state_.Forward();
    ShowRebuiltState();
}

void MainWindow::N1Click()
{
    state_.DeleteSelectedRuns();
    ShowRunList(true);
    ShowGrid();
}

void MainWindow::ChooseClass(ToleranceClass toleranceClass)
{
    state_.ChooseClass(toleranceClass);
    ShowLabels();
    ShowRunList(false);
}

void MainWindow::info1Click()
{
    if (form3_)
        form3_->exec();
}

void MainWindow::Info2Click()
{
    if (info_)
        info_->exec();
}

// The tool windows only read the open book: the list, the selection and the journal stay.
void MainWindow::CheckStationsClick()
{
    StationCheckWindow window(state_, state_.journal().filePath(), this);
    window.SetFileOpener(openWorkbook_);
    if (prepareToolWindow_)
        prepareToolWindow_(&window);
    window.exec();
}

void MainWindow::AdjustNetworkClick()
{
    NetworkWindow window(state_, state_.journal().filePath(), this);
    window.SetFileOpener(openWorkbook_);
    if (prepareToolWindow_)
        prepareToolWindow_(&window);
    window.exec();
}

void MainWindow::SettlementMonitoringClick()
{
    MonitorWindow window(state_, state_.journal().filePath(), this);
    window.SetFileOpener(openWorkbook_);
    if (prepareToolWindow_)
        prepareToolWindow_(&window);
    window.exec();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (pendingStartFile_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
            return true;
        default:
            break;
        }
    }
    // The selection changes by the left button and the keys only: a right-click opens the
    // pop-up menu, which then acts on the runs already selected, and is not journalled.
    if (watched == listViewport_ &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseButtonDblClick || event->type() == QEvent::MouseMove) &&
        (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton ||
         static_cast<QMouseEvent*>(event)->buttons() == Qt::RightButton))
        return true;
    if (watched == listBox1_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        N1Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::OnListSelectionChanged()
{
    if (showingState_)
        return;
    std::vector<bool> selected(state_.runList().size(), false);
    for (const QModelIndex& index : listBox1_->selectionModel()->selectedRows())
        selected[static_cast<std::size_t>(index.row())] = true;
    state_.SetSelection(selected);
    state_.ClickCheck();
    listBox1_->viewport()->update();
    ShowGrid();
}

void MainWindow::ShowLabels()
{
    label1_->setText(FromCp1251(state_.label1()));
    label1_->adjustSize();
    label1_->setFixedHeight(13);
    label2_->setText(FromCp1251(state_.label2()));
    const StatusText& status = state_.status();
    statusText_->setText(status.kind == StatusText::Kind::Path ? FromPath(status.text)
                                                               : FromCp1251(status.text));
}

void MainWindow::ShowRunList(bool entriesReplaced)
{
    showingState_ = true;
    if (entriesReplaced)
        runListModel_->Reload();
    else
        runListModel_->TextsChanged();

    // Hand the state's selection to the view in contiguous ranges.
    QItemSelection selection;
    const auto& entries = state_.runList().entries();
    for (std::size_t i = 0; i < entries.size();) {
        if (!entries[i].selected) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end + 1 < entries.size() && entries[end + 1].selected)
            ++end;
        selection.select(runListModel_->index(static_cast<int>(i)),
                         runListModel_->index(static_cast<int>(end)));
        i = end + 1;
    }
    listBox1_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    listBox1_->viewport()->update();
    ShowToolsAvailability();
    showingState_ = false;
}

void MainWindow::ShowToolsAvailability()
{
    // The station check, the adjustment and the monitoring work on the listed runs: without
    // any there is nothing for their windows to show or add.
    const bool runsListed = !state_.runList().entries().empty();
    for (const char* name : {"CheckStations1", "AdjustNetwork1", "SettlementMonitoring1"})
        menuAction(QString::fromLatin1(name))->setEnabled(runsListed);
}

void MainWindow::ShowGrid()
{
    gridModel_->Reload();
}

}  // namespace velmora::app
