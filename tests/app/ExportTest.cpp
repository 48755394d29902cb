// SPDX-License-Identifier: MIT
// The export through the window: the new-height dialog, the proposed name, the messages and
// the saved workbook, read back by an independent reader.

#include "MainWindow.h"
#include "WidgetTestMain.h"
#include "NewHeightDialog.h"

#include "FieldBookLines.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QMessageBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace velmora;
using namespace velmora::app;
using namespace Qt::StringLiterals;
using velmora::testing::JoinLines;
using velmora::testing::M5Line;

namespace {

// The loop A → B → A of 70 m with a misclosure of 1 mm.
std::string LoopBook()
{
    return JoinLines({M5Line({"A", "1", "Rb", "1.5000", "20"}), M5Line({"B", "1", "Rf", "1.2000", "20"}),
                      M5Line({"B", "1", "Rb", "1.1000", "15"}), M5Line({"A", "1", "Rf", "1.3990", "15"}),
                      M5Line({"P", "2", "Rb", "1.0", "10"}), M5Line({"Q", "2", "Rf", "1.0", "10"})});
}

// Answers the next new-height dialog: start point, height, then "В Excel" (or "Отмена").
void AnswerDialog(NewHeightDialog* dialog, const QString& point, const QString& height, bool ok,
                  QStringList* offered = nullptr)
{
    QTimer::singleShot(0, dialog, [=] {
        auto* combo = dialog->findChild<QComboBox*>("ComboBox1");
        if (offered) {
            for (int i = 0; i < combo->count(); ++i)
                *offered << combo->itemText(i);
            *offered << QStringLiteral("proposed:") + combo->currentText();
        }
        if (!point.isNull())
            combo->setCurrentText(point);
        dialog->findChild<QLineEdit*>("Edit2")->setText(height);
        dialog->findChild<QPushButton*>(ok ? "Button1" : "Button2")->click();
    });
}

QString RunPython(const std::string& program)
{
    const std::string command = "/usr/bin/python3 -c \"" + program + "\" 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    QString text;
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get()))
        text += QString::fromUtf8(buffer);
    return text;
}

QString ReadXls(const QString& path)
{
    return RunPython("import xlrd; s = xlrd.open_workbook('" + path.toStdString() +
                     "').sheet_by_index(0); print(s.name); "
                     "[print(r + 1, *s.row_values(r)) for r in range(s.nrows)]");
}

// The same listing from an .xlsx workbook (read with openpyxl), followed by the numbers and
// column widths exactly as the file writes them.
QString ReadXlsx(const QString& path)
{
    return RunPython("import openpyxl, re, zipfile; p = '" + path.toStdString() +
                     "'; s = openpyxl.load_workbook(p).worksheets[0]; print(s.title); "
                     "[print(r[0].row, *['' if c.value is None else float(c.value) "
                     "if isinstance(c.value, (int, float)) else c.value for c in r]) "
                     "for r in s.iter_rows()]; "
                     "x = zipfile.ZipFile(p).read('xl/worksheets/sheet1.xml').decode(); "
                     "print(*re.findall('<v>([^<]*)</v>', x)); "
                     "print(*re.findall('width=.([^\\\"]*).', x))");
}

}  // namespace

class ExportTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::string book_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<NewHeightDialog> dialog_;
    QStringList messages_;
    QString proposed_;
    QString opened_;

private slots:
    void init()
    {
        book_ = folder_.filePath("loop.DAT").toStdString();
        FILE* file = std::fopen(book_.c_str(), "wb");
        const std::string text = LoopBook();
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);

        window_ = std::make_unique<MainWindow>("");
        dialog_ = std::make_unique<NewHeightDialog>(window_.get());
        window_->SetCompanions(dialog_.get(), nullptr, nullptr);
        window_->SetOpenFileChooser([this](QWidget*) { return QString::fromStdString(book_); });
        window_->Button1Click();
        window_->SetMessageSink([this](const QString& text) { messages_ << text; });
        window_->SetWorkbookOpener([this](const QString& path) { opened_ = path; });
        messages_.clear();
        opened_.clear();
    }

    void cleanup()
    {
        dialog_.reset();
        window_.reset();
    }

    void workedLoopGoesIntoAnXlsWorkbook()
    {
        window_->runListView()->selectionModel()->select(window_->runListView()->model()->index(0, 0),
                                                        QItemSelectionModel::Select);
        const QString target = folder_.filePath("result.xls");
        window_->SetExportFileChooser([&](QWidget*, const QString& proposed) {
            proposed_ = proposed;
            return target;
        });
        QStringList offered;
        AnswerDialog(dialog_.get(), QString(), QStringLiteral("1000"), true, &offered);
        window_->Button3Click();

        QCOMPARE(offered, QStringList({"A", "B", "proposed:A"}));
        QCOMPARE(proposed_, folder_.filePath("1.xls"));
        QCOMPARE(messages_, QStringList());
        QCOMPARE(opened_, target);
        QCOMPARE(ReadXls(target), QStringLiteral("1\n1 A 1000.0\n2 B 1000.2994\n3 dZ 0.001\n"
                                                 "4 dZдоп 0.0013000000000000002\n"));
    }

    // On a Russian or German desktop as well (ctest runs this test under ru_RU and de_DE), the
    // workbook holds numbers with a full stop: the C-locale results.
    void workedLoopGoesIntoAnXlsxWorkbookWithTheSameCells()
    {
        window_->Button2Click();
        window_->runListView()->selectionModel()->select(window_->runListView()->model()->index(1, 0),
                                                        QItemSelectionModel::Deselect);
        const QString target = folder_.filePath("result.xlsx");
        window_->SetExportFileChooser([&](QWidget*, const QString&) { return target; });
        AnswerDialog(dialog_.get(), QStringLiteral("A"), QStringLiteral("1000"), true);
        window_->Button3Click();
        QCOMPARE(messages_, QStringList());
        QCOMPARE(ReadXlsx(target), QStringLiteral("1\n1 A 1000.0\n2 B 1000.2994\n3 dZ 0.001\n"
                                                  "4 dZдоп 0.0013\n"
                                                  // the numbers as stored; texts stand in
                                                  // their cells, in no table of shared strings
                                                  "1000 1000.2994 0.001 0.0013\n"
                                                  "12.7109375\n"));
    }

    void failedSaveSaysWhyInRussianAndAnExportEmptiesTheSaveDialog()
    {
        const QString unwritable = folder_.filePath("no/such/folder/book.DAT");
        window_->SetSaveFileChooser([&](QWidget*) { return unwritable; });
        window_->Button5Click();
        QCOMPARE(messages_, QStringList({u"Не удалось сохранить файл "_s + unwritable + u": такой папки нет"_s}));
        QCOMPARE(window_->state().saveDialogFileName(), unwritable.toStdString());

        window_->SetExportFileChooser([&](QWidget*, const QString&) { return QString(); });
        AnswerDialog(dialog_.get(), QStringLiteral("A"), QStringLiteral("1000"), true);
        window_->Button3Click();  // cancelled in the save dialog
        QCOMPARE(window_->state().saveDialogFileName(), std::string());
    }

    void unlinkedRunsAreReportedAndTheLinkedOnesSaved()
    {
        window_->Button2Click();  // both runs; run 2 shares no point with the loop
        const QString target = folder_.filePath("both.xlsx");
        window_->SetExportFileChooser([&](QWidget*, const QString& proposed) {
            proposed_ = proposed;
            return target;
        });
        AnswerDialog(dialog_.get(), QStringLiteral(" A "), QStringLiteral("10,5"), true);
        window_->Button3Click();
        QCOMPARE(proposed_, folder_.filePath("1-2.xls"));
        QCOMPARE(messages_, QStringList({QStringLiteral("Ошибка. Не все ходы связаны.")}));
        QVERIFY(QFile::exists(target));
        QCOMPARE(opened_, target);
    }

    void cancelAndBadHeightWriteNothing()
    {
        window_->Button2Click();
        bool asked = false;
        window_->SetExportFileChooser([&](QWidget*, const QString&) {
            asked = true;
            return folder_.filePath("never.xls");
        });
        AnswerDialog(dialog_.get(), QString(), QStringLiteral("1000"), false);
        window_->Button3Click();
        QVERIFY(!asked);
        QVERIFY(messages_.isEmpty());

        AnswerDialog(dialog_.get(), QString(), QStringLiteral("abc"), true);
        window_->Button3Click();
        QVERIFY(!asked);  // reported before the save dialog
        QCOMPARE(messages_, QStringList({QStringLiteral("Возможно, возникла проблема с Excel.\n"
                                                        "Причина: начальная высота — не число")}));
        QVERIFY(!QFile::exists(folder_.filePath("never.xls")));

        // The height typed last is kept for the next export.
        QCOMPARE(dialog_->heightText(), QStringLiteral("abc"));
    }

    void failedSaveIsReported()
    {
        window_->Button2Click();
        window_->SetExportFileChooser([&](QWidget*, const QString&) {
            return folder_.filePath("no/such/folder/x.xls");
        });
        AnswerDialog(dialog_.get(), QStringLiteral("A"), QStringLiteral("1000"), true);
        window_->Button3Click();
        QCOMPARE(messages_.last(), QStringLiteral("Возможно, возникла проблема с Excel.\nПричина: такой папки нет"));
        QVERIFY(opened_.isEmpty());
    }

    // Each failure names its cause below the general sentence, with a warning icon: a run
    // that cannot be read, a disk without space (a device that is always full, named like a
    // workbook).
    void exportFailuresNameTheirCauseWithAWarning()
    {
        const std::string unreadable = folder_.filePath("unreadable.DAT").toStdString();
        const std::string text = JoinLines(
            {M5Line({"A", "1", "Rb", "1.5", "10"}), M5Line({"B", "1", "Rf", "1.0", "10"}),
             M5Line({"A", "7", "Rb", "1.5", "10"}), M5Line({"B", "7", "Rf", "1.0", "10"}),
             M5Line({"B", "7", "Rf", "1.0", "10"}), M5Line({"A", "7", "Rb", "1.5", "10"}),
             M5Line({"B", "7", "Rb", "1.5", "10"}), M5Line({"A", "7", "Rf", "2.0", "10"})});
        FILE* file = std::fopen(unreadable.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        window_->SetOpenFileChooser([&](QWidget*) { return QString::fromStdString(unreadable); });
        window_->Button1Click();
        QList<QMessageBox::Icon> icons;
        window_->SetMessageSink([&](const QString& message, QMessageBox::Icon icon) {
            messages_ << message;
            icons << icon;
        });

        window_->Button2Click();
        window_->SetExportFileChooser([&](QWidget*, const QString&) { return folder_.filePath("runs.xls"); });
        AnswerDialog(dialog_.get(), QStringLiteral("A"), QStringLiteral("1000"), true);
        window_->Button3Click();
        QCOMPARE(messages_, QStringList({u"Возможно, возникла проблема с Excel.\nПричина: ход 7 не читается: "
                                         u"двойные отсчёты не подходят ни к одному способу нивелирования"_s}));
        QCOMPARE(icons, QList<QMessageBox::Icon>({QMessageBox::Warning}));
        QVERIFY(!QFile::exists(folder_.filePath("runs.xls")));

        messages_.clear();
        icons.clear();
        window_->Button4Click();
        window_->runListView()->selectionModel()->select(window_->runListView()->model()->index(0, 0),
                                                        QItemSelectionModel::Select);
        const QString full = folder_.filePath("full.xls");
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), full));
        window_->SetExportFileChooser([&](QWidget*, const QString&) { return full; });
        window_->SetQuestionAsker([](const QString&) { return true; });  // it exists: replace it
        AnswerDialog(dialog_.get(), QStringLiteral("A"), QStringLiteral("1000"), true);
        window_->Button3Click();
        QCOMPARE(messages_, QStringList({u"Возможно, возникла проблема с Excel.\nПричина: на диске нет места"_s}));
        QCOMPARE(icons, QList<QMessageBox::Icon>({QMessageBox::Warning}));
        QVERIFY(opened_.isEmpty());
    }

    // The save dialog comes again for a name that may not take the workbook, saying why, and
    // for an existing file the user does not want replaced; the files refused stay as they were.
    void saveDialogRefusesWhatIsNoWorkbookAndAsksBeforeReplacing()
    {
        const QString otherBook = folder_.filePath("other.DAT");
        QVERIFY(QFile::copy(QString::fromStdString(book_), otherBook));
        const QString notes = folder_.filePath("notes.xls");
        {
            QFile file(notes);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("my notes\n");
        }
        const QString existing = folder_.filePath("existing.xls");
        window_->Button2Click();
        window_->SetExportFileChooser([&](QWidget*, const QString&) { return existing; });
        AnswerDialog(dialog_.get(), QStringLiteral("A"), QStringLiteral("1000"), true);
        window_->Button3Click();  // a new file: no question
        QVERIFY(QFile::exists(existing));
        const QDateTime firstWritten = QFileInfo(existing).lastModified();

        messages_.clear();
        opened_.clear();
        QList<QMessageBox::Icon> icons;
        window_->SetMessageSink([&](const QString& message, QMessageBox::Icon icon) {
            messages_ << message;
            icons << icon;
        });
        QStringList answers = {otherBook, QString::fromStdString(book_), notes, existing, existing};
        QStringList proposals;
        window_->SetExportFileChooser([&](QWidget*, const QString& proposed) {
            proposals << proposed;
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
        QStringList questions;
        QList<bool> replies = {false, true};
        window_->SetQuestionAsker([&](const QString& question) {
            questions << question;
            return replies.takeFirst();
        });
        AnswerDialog(dialog_.get(), QStringLiteral("A"), QStringLiteral("1000"), true);
        window_->Button3Click();

        QCOMPARE(messages_, QStringList({u"Нельзя записать книгу в файл "_s + otherBook + u": в файле полевой журнал."_s,
                                         u"Нельзя записать книгу в файл "_s + QString::fromStdString(book_) +
                                             u": это открытый полевой журнал."_s,
                                         u"Нельзя записать книгу в файл "_s + notes +
                                             u": файл уже существует и не является книгой Excel."_s,
                                         u"Ошибка. Не все ходы связаны."_s}));
        QCOMPARE(icons.mid(0, 3), QList<QMessageBox::Icon>(3, QMessageBox::Warning));
        // Each new dialog proposes the name chosen in the one before.
        QCOMPARE(proposals, QStringList({folder_.filePath("1-2.xls"), otherBook, QString::fromStdString(book_),
                                         notes, existing}));
        QCOMPARE(questions, QStringList(2, u"Файл "_s + existing + u" уже существует. Заменить его?"_s));
        QCOMPARE(opened_, existing);
        QVERIFY(QFileInfo(existing).lastModified() >= firstWritten);

        QFile other(otherBook);
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll().toStdString(), LoopBook());
        QFile kept(notes);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("my notes\n"));
    }
};

VELMORA_WIDGET_TEST_MAIN(ExportTest)
#include "ExportTest.moc"
