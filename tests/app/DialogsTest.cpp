// SPDX-License-Identifier: MIT
// The help, info and new-height windows, driven through their widgets on the offscreen platform.

#include "AboutWindow.h"
#include "BookFileFilters.h"
#include "MainWindow.h"
#include "HelpWindow.h"
#include "InstrumentPicture.h"
#include "Look.h"
#include "NewHeightDialog.h"
#include "WidgetTestMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>

#include <functional>

using namespace velmora::app;
using namespace Qt::StringLiterals;

namespace {

template <typename T>
T* Child(QWidget& window, const char* name)
{
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child %s", name);
    return child;
}

// Starts `action` once the modal loop of `dialog` runs. An action that leaves the dialog open
// sets `leftOpen` and the dialog is closed anyway, so the test fails instead of hanging.
void WhileModal(QDialog& dialog, bool& leftOpen, std::function<void()> action)
{
    QTimer::singleShot(0, &dialog, [&dialog, &leftOpen, action] {
        action();
        if (dialog.isVisible()) {
            leftOpen = true;
            dialog.done(QDialog::Rejected);
        }
    });
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void helpTextLines();
    void helpWindowIsReadOnlyAndOnlyHides();
    void helpLinesShowAsOneLineEach();

    void aboutWindowLayout();
    void aboutLinksOpenWebPage_data();
    void aboutLinksOpenWebPage();
    void picturesAreDrawn();

    void newHeightLayoutAndTabOrder();
    void newHeightSetPoints();
    void newHeightAskKeepsHeightAndTracksCancel();
    void dialogsAreCentredOnParent();
    void newHeightCaptionsFitTheirLabels();
    void grabsTheDialogsForPeopleToLookAt();
    void saveDialogOpensAFolderTypedIntoIt();
    void bookFiltersAreMadeFromTheLayoutTable();
};

void DialogsTest::helpTextLines()
{
    const QString open(QChar(0x201C));
    const QString close(QChar(0x201D));
    const QStringList expected = {
        u"     Программа VELMORA TESK производит обработку нивелирных ходов, "_s,
        u"полученных с цифрового нивелира TRIMBLE DINI 12."_s,
        u"После открытия файла, полученного с нивелира в левой колонке появляются значения:"_s,
        QString(),
        u"1174 // 0,0001  номер хода // невязка"_s,
        u"1397 // ******     номер хода // ход пустой"_s,
        u"1179 // -----        номер хода // измерения без замыкания на ту же точку."_s,
        QString(),
        u"Невязки в замкнутом ходе распределяются пропорционально расстоянию."_s,
        u"В не замкнутом ходе невязки не рассчитываются."_s,
        u"Хода, подсвеченные красным цветом, превышают допуск нивелирования II класса."_s,
        u"Программа способна  обрабатывать как по отдельности  ход, так и  несколько ходов "_s,
        u"сразу."_s,
        u"Для этого следует выделить нужный  ход (в левой колонке), нажав кнопку "_s + open
            + u"перевести в "_s,
        u"Excel "_s + close + u"  выбрать нужную точку,"_s,
        u"ввести нужную отметку для точки и нажать кнопку  "_s + open + u"В Excel"_s + close
            + u". Программа далее "_s,
        u"автоматически рассчитает все "_s,
        u"отметки точек, которые участвуют в обработке данного хода, вычислит невязку, "_s,
        u"распределит невязку пропорционально расстоянию,"_s,
        u"рассчитает максимально допустимую невязку для данного хода.Данная информация "_s,
        u"будет создана в файле, название которого будет "_s,
        u"автоматически создано из номеров ходов. "_s,
        QString(),
        u"Меню Tools › Settlement monitoring… ведёт проект мониторинга осадок:"_s,
        u"открытый журнал добавляется циклом своей даты; ведомость показывает"_s,
        u"осадку каждой марки за цикл и с её первого цикла, значимые —"_s,
        u"красным, и график осадки во времени."_s,
        QString(),
        QString(),
    };

    const QString text = HelpText();
    QVERIFY(!text.contains(QLatin1Char('\r')));
    const QStringList lines = text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 32);
    for (int i = 0; i < expected.size(); ++i) {
        // Lengths first: a lost or doubled space shows up here with the line number.
        QVERIFY2(lines[i].size() == expected[i].size(),
                 qPrintable(QStringLiteral("line %1: length %2, expected %3")
                                .arg(i + 1)
                                .arg(lines[i].size())
                                .arg(expected[i].size())));
        QCOMPARE(lines[i], expected[i]);
    }
    QVERIFY(lines[0].startsWith(QString(5, QLatin1Char(' ')) + u"П"_s));
    QCOMPARE(text.count(open), 2);
    QCOMPARE(text.count(close), 2);
    QVERIFY(!text.contains(QLatin1Char('"')));

    // The maker's lines: the city indented, an empty line, the contacts apart by runs of spaces.
    QVERIFY(lines[29].startsWith(QLatin1Char(' ')));
    QCOMPARE(lines[29].trimmed(), QStringLiteral("Велмора, 2026"));
    QVERIFY(lines[30].isEmpty());
    static const QRegularExpression spaceRun(QStringLiteral(" {2,}"));
    QCOMPARE(lines[31].split(spaceRun),
             (QStringList{kMakerEmail1, kMakerWebAddress, kMakerTelephone}));
}

void DialogsTest::helpWindowIsReadOnlyAndOnlyHides()
{
    QPointer<HelpWindow> window = new HelpWindow;
    QCOMPARE(window->size(), QSize(494, 449));
    QCOMPARE(window->minimumSize(), window->maximumSize());

    auto* memo = Child<QPlainTextEdit>(*window, "Memo1");
    auto* ok = Child<QPushButton>(*window, "Button1");
    QCOMPARE(memo->toPlainText(), HelpText());
    QVERIFY(memo->isReadOnly());
    QVERIFY(memo->textInteractionFlags().testFlags(Qt::TextSelectableByMouse
                                                   | Qt::TextSelectableByKeyboard));

    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QCOMPARE(QApplication::focusWidget(), memo);  // first in the tab order
    QTest::keyClicks(memo, u"xyz"_s);
    QCOMPARE(memo->toPlainText(), HelpText());
    QTest::keyClick(memo, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), ok);

    // Shrink the memo's view so it has to scroll, then check the position survives a hide.
    QScrollBar* bar = memo->verticalScrollBar();
    memo->setFixedHeight(80);
    QTRY_VERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum() / 2 + 1);
    const int position = bar->value();

    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!window->isVisible());
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(bar->value(), position);

    QVERIFY(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window);  // closing hides, the window stays for the next show
    QVERIFY(!window->isVisible());
    delete window;
}

void DialogsTest::helpLinesShowAsOneLineEach()
{
    HelpWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* memo = Child<QPlainTextEdit>(window, "Memo1");
    const QTextDocument* text = memo->document();
    QCOMPARE(text->blockCount(), 32);
    for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
        QVERIFY2(block.layout()->lineCount() == 1,
                 qPrintable(u"line %1 shows as %2 lines"_s.arg(block.blockNumber() + 1)
                                .arg(block.layout()->lineCount())));
    }
    // The font fits the widest line: nothing to scroll sideways.
    QCOMPARE(memo->horizontalScrollBar()->maximum(), 0);
    QVERIFY(memo->font().pointSize() >= 6);
}

void DialogsTest::aboutWindowLayout()
{
    AboutWindow window;
    QCOMPARE(window.size(), QSize(273, 515));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QCOMPARE(Child<QLabel>(window, "Label1")->geometry(), QRect(64, 8, 109, 16));

    // The picture keeps its own size, anchored at the top-left corner of its area.
    auto* image = Child<QLabel>(window, "Image1");
    QCOMPARE(image->geometry(), QRect(8, 24, 257, 369));
    QVERIFY(!image->hasScaledContents());
    QCOMPARE(image->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QCOMPARE(image->pixmap().size(), QSize(261, 365));

    QCOMPARE(Child<QPushButton>(window, "Button1")->geometry(), QRect(160, 400, 81, 25));
    QCOMPARE(Child<QLabel>(window, "Label2")->geometry(), QRect(24, 400, 105, 16));
    QCOMPARE(Child<QLabel>(window, "Label5")->text(), kMakerEmail1 + u" "_s);
    QCOMPARE(Child<QLabel>(window, "Label6")->geometry(), QRect(136, 488, 120, 16));

    for (QWidget* child : window.findChildren<QWidget*>())
        QCOMPARE(bool(child->focusPolicy() & Qt::TabFocus), child->objectName() == u"Button1"_s);
}

void DialogsTest::aboutLinksOpenWebPage_data()
{
    QTest::addColumn<QString>("label");
    QTest::newRow("web address") << u"Label2"_s;
    QTest::newRow("first e-mail") << u"Label5"_s;
    QTest::newRow("second e-mail") << u"Label6"_s;
}

void DialogsTest::aboutLinksOpenWebPage()
{
    QFETCH(QString, label);
    AboutWindow window;
    QList<QUrl> opened;
    window.SetUrlOpener([&opened](const QUrl& url) { opened.append(url); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto* link = window.findChild<QLabel*>(label);
    QVERIFY(link);
    QTest::mouseClick(link, Qt::RightButton);
    QVERIFY(opened.isEmpty());
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(opened, (QList<QUrl>{QUrl(kMakerWebUrl)}));
    QVERIFY(window.isVisible());

    QTest::mouseClick(Child<QPushButton>(window, "Button1"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(opened.size(), 1);
}

void DialogsTest::picturesAreDrawn()
{
    const QImage picture = DrawInstrumentPicture();
    QCOMPARE(picture.size(), QSize(261, 365));
    QVERIFY(!picture.hasAlphaChannel());
    QCOMPARE(picture.depth() >= 24, true);

    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 3)
        for (int x = 0; x < picture.width(); x += 3)
            colours.insert(picture.pixel(x, y));
    QVERIFY2(colours.size() > 50, qPrintable(QString::number(colours.size())));

    const QImage small = DrawApplicationIcon().pixmap(QSize(32, 32)).toImage();
    QCOMPARE(small.size(), QSize(32, 32));
    QSet<QRgb> iconColours;
    int painted = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (qAlpha(small.pixel(x, y)) != 0) {
                ++painted;
                iconColours.insert(small.pixel(x, y));
            }
        }
    }
    QVERIFY(painted > 100 && painted < 32 * 32);
    QVERIFY(iconColours.size() >= 4);
}

void DialogsTest::newHeightLayoutAndTabOrder()
{
    NewHeightDialog dialog;
    QCOMPARE(dialog.size(), QSize(193, 167));
    QVERIFY(dialog.windowFlags() & Qt::CustomizeWindowHint);
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)));
    QVERIFY(!dialog.cancelled());

    auto* points = Child<QComboBox>(dialog, "ComboBox1");
    auto* height = Child<QLineEdit>(dialog, "Edit2");
    auto* toExcel = Child<QPushButton>(dialog, "Button1");
    auto* cancel = Child<QPushButton>(dialog, "Button2");
    QVERIFY(points->isEditable());
    QCOMPARE(height->text(), u"1000"_s);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), height);

    const QList<QWidget*> order = {toExcel, points, cancel, height};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        QVERIFY2(focus == next || next->isAncestorOf(focus),
                 qPrintable(u"focus on "_s + (focus ? focus->objectName() : u"nothing"_s)
                            + u", expected "_s + next->objectName()));
    }
}

void DialogsTest::newHeightCaptionsFitTheirLabels()
{
    NewHeightDialog dialog;
    for (const char* name : {"Label2", "Label3"}) {
        auto* label = Child<QLabel>(dialog, name);
        const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
        QVERIFY2(needed <= label->width(),
                 qPrintable(u"%1 needs %2 pixels, has %3"_s.arg(label->text()).arg(needed).arg(label->width())));
    }
    QCOMPARE(Child<QLabel>(dialog, "Label2")->geometry(), QRect(16, 8, 65, 13));
    QCOMPARE(Child<QLabel>(dialog, "Label3")->geometry(), QRect(16, 64, 113, 13));
}

void DialogsTest::grabsTheDialogsForPeopleToLookAt()
{
    const QString folder = QStringLiteral(VELMORA_SCREENSHOT_DIR "/");
    HelpWindow help;
    help.show();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QVERIFY(help.grab().save(folder + u"help-window.png"_s));

    NewHeightDialog newHeight;
    newHeight.SetPoints({u"1017"_s, u"2"_s});
    newHeight.show();
    QVERIFY(QTest::qWaitForWindowExposed(&newHeight));
    QVERIFY(newHeight.grab().save(folder + u"new-height.png"_s));

    // Qt's own save dialog as the window shows it (in Russian, whatever the locale).
    QFileDialog save(nullptr);
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    save.setNameFilters({u"Данные (*.DAT)"_s});
    save.show();
    QVERIFY(QTest::qWaitForWindowExposed(&save));
    QVERIFY(save.grab().save(folder + u"save-dialog.png"_s));
}

void DialogsTest::newHeightSetPoints()
{
    NewHeightDialog dialog;
    auto* points = Child<QComboBox>(dialog, "ComboBox1");

    dialog.SetPoints({u"10"_s, u"2"_s, u"9"_s});
    QCOMPARE(points->count(), 3);
    QCOMPARE(points->itemText(0), u"10"_s);
    QCOMPARE(points->itemText(2), u"9"_s);
    QCOMPARE(dialog.startPointText(), u"10"_s);

    // Whatever was typed goes, and so do the earlier points.
    points->setEditText(u"555"_s);
    dialog.SetPoints({u"7"_s});
    QCOMPARE(points->count(), 1);
    QCOMPARE(dialog.startPointText(), u"7"_s);

    dialog.SetPoints({});
    QCOMPARE(points->count(), 0);
    QCOMPARE(dialog.startPointText(), QString());

    // The typed text comes back untrimmed and is not added to the list.
    dialog.SetPoints({u"1"_s, u"2"_s});
    points->lineEdit()->selectAll();
    QTest::keyClicks(points->lineEdit(), u" 12 "_s);
    QTest::keyClick(points->lineEdit(), Qt::Key_Return);
    QCOMPARE(dialog.startPointText(), u" 12 "_s);
    QCOMPARE(points->count(), 2);
}

void DialogsTest::newHeightAskKeepsHeightAndTracksCancel()
{
    NewHeightDialog dialog;
    auto* height = Child<QLineEdit>(dialog, "Edit2");
    auto* toExcel = Child<QPushButton>(dialog, "Button1");
    auto* cancel = Child<QPushButton>(dialog, "Button2");
    bool leftOpen = false;

    WhileModal(dialog, leftOpen, [&] {
        height->clear();
        QTest::keyClicks(height, u"152,347"_s);
        QTest::mouseClick(toExcel, Qt::LeftButton);
    });
    QVERIFY(dialog.Ask({u"10"_s, u"2"_s, u"9"_s}));
    QVERIFY(!dialog.cancelled());
    QCOMPARE(dialog.heightText(), u"152,347"_s);
    QCOMPARE(dialog.startPointText(), u"10"_s);

    // The next show proposes the height typed last time; cancelling leaves it there.
    QString shownHeight;
    WhileModal(dialog, leftOpen, [&] {
        shownHeight = height->text();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    QVERIFY(!dialog.Ask({u"3"_s}));
    QCOMPARE(shownHeight, u"152,347"_s);
    QVERIFY(dialog.cancelled());
    QCOMPARE(dialog.heightText(), u"152,347"_s);

    WhileModal(dialog, leftOpen, [&] { QTest::mouseClick(toExcel, Qt::LeftButton); });
    QVERIFY(dialog.Ask({u"3"_s}));
    QVERIFY(!dialog.cancelled());

    // Escape and the window's own close count as cancel.
    WhileModal(dialog, leftOpen, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    QVERIFY(!dialog.Ask({u"3"_s}));
    QVERIFY(dialog.cancelled());

    WhileModal(dialog, leftOpen, [&] { QTest::mouseClick(toExcel, Qt::LeftButton); });
    QVERIFY(dialog.Ask({u"3"_s}));
    WhileModal(dialog, leftOpen, [&] { dialog.close(); });
    QVERIFY(!dialog.Ask({u"3"_s}));
    QVERIFY(dialog.cancelled());
    QVERIFY(!leftOpen);
}

void DialogsTest::dialogsAreCentredOnParent()
{
    // Inside the offscreen platform's 800 × 600 screen, so no dialog is pushed back onto it.
    QWidget parent;
    parent.setGeometry(150, 80, 500, 440);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    auto* help = new HelpWindow(&parent);
    auto* about = new AboutWindow(&parent);
    auto* newHeight = new NewHeightDialog(&parent);
    for (QDialog* dialog : std::initializer_list<QDialog*>{help, about, newHeight}) {
        // Twice, with the parent moved in between: every show centres again.
        for (int round = 0; round < 2; ++round) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            const QPoint offset =
                dialog->frameGeometry().center() - parent.frameGeometry().center();
            QVERIFY2(offset.manhattanLength() <= 4,
                     qPrintable(dialog->windowTitle() + u" off by "_s
                                + QString::number(offset.manhattanLength())));
            dialog->hide();
            parent.move(parent.pos() + (round == 0 ? QPoint(20, 10) : QPoint(-20, -10)));
        }
    }
}

VELMORA_WIDGET_TEST_MAIN(DialogsTest)
#include "DialogsTest.moc"

// A folder's name typed into the save dialog opens that folder; it is not taken for a file
// beside it with the default ending. The next dialog proposes the name saved last, not what
// was typed before a cancel.
void DialogsTest::saveDialogOpensAFolderTypedIntoIt()
{
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(u"sub"_s));
    const QString book = folder.filePath(u"book.DAT"_s);
    std::ofstream(book.toStdString(), std::ios::binary) << "     1 book.DAT\r\n";
    MainWindow window(book.toStdString());
    QStringList seen;
    auto type = [](QFileDialog* dialog, const QString& text) {
        auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s);
        name->setText(text);
        QTest::keyClick(name, Qt::Key_Return);
    };
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        type(dialog, folder.path());  // the dialog opens in the current folder at first
        type(dialog, u"sub"_s);
        seen << dialog->directory().dirName() << QString::number(dialog->isVisible());
        type(dialog, u"first"_s);
    });
    window.Button5Click();
    QCOMPARE(seen, QStringList({u"sub"_s, u"1"_s}));
    QVERIFY(QFile::exists(folder.filePath(u"sub/first.DAT"_s)));
    QVERIFY(!QFile::exists(folder.filePath(u"sub.DAT"_s)));

    // Typed, then cancelled: the dialog after it proposes the name saved last.
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(u"sub"_s);
        dialog->reject();
    });
    window.Button5Click();
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        seen << dialog->directory().dirName() << dialog->findChild<QLineEdit*>(u"fileNameEdit"_s)->text();
        dialog->reject();
    });
    window.Button5Click();
    QCOMPARE(seen.mid(2), QStringList({u"sub"_s, u"first.DAT"_s}));
}

// The open and save dialogs' filters come from the book formats of the layout table, and read
// as the window has always shown them; the save dialog proposes a book's own format by its
// suffix and gives a typed name the chosen format's suffix.
void DialogsTest::bookFiltersAreMadeFromTheLayoutTable()
{
    QCOMPARE(OpenBookFilters(), (QStringList{u"Данные (*.DAT *.dat *.gsi *.GSI)"_s, u"Trimble DiNi (*.DAT *.dat)"_s,
                                             u"Leica GSI (*.gsi *.GSI)"_s, u"*.* (*)"_s}));
    QCOMPARE(SaveBookFilters(), (QStringList{u"Данные (*.DAT)"_s, u"Leica GSI (*.gsi)"_s}));
    QCOMPARE(SaveFilterFor(u"/books/run.GSI"_s), u"Leica GSI (*.gsi)"_s);
    QCOMPARE(SaveFilterFor(u"/books/run.dat"_s), u"Данные (*.DAT)"_s);
    QCOMPARE(SaveFilterFor(u"/books/gsi"_s), u"Данные (*.DAT)"_s);
    QCOMPARE(SaveFilterFor(QString()), u"Данные (*.DAT)"_s);
    QCOMPARE(SuffixOfSaveFilter(u"Leica GSI (*.gsi)"_s), u"gsi"_s);
    QCOMPARE(SuffixOfSaveFilter(u"Данные (*.DAT)"_s), u"DAT"_s);
}
