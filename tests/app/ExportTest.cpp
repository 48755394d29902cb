// The export through the window: the new-height dialog, the proposed name, the messages and
// the saved workbook, read back by an independent reader.

#include "MainWindow.h"
#include "WidgetTestMain.h"
#include "NewHeightDialog.h"

#include "FieldBookLines.h"

#include <QComboBox>
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

QString ReadXls(const QString& path)
{
    const std::string command = "/usr/bin/python3 -c \"import xlrd; s = xlrd.open_workbook('" +
                                path.toStdString() +
                                "').sheet_by_index(0); print(s.name); "
                                "[print(r + 1, *s.row_values(r)) for r in range(s.nrows)]\" 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    QString text;
    char buffer[4096];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get()))
        text += QString::fromUtf8(buffer);
    return text;
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
        QCOMPARE(messages_, QStringList({QStringLiteral("Возможно, возникла проблема с Excel.")}));
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
        QCOMPARE(messages_.last(), QStringLiteral("Возможно, возникла проблема с Excel."));
        QVERIFY(opened_.isEmpty());
    }
};

VELMORA_WIDGET_TEST_MAIN(ExportTest)
#include "ExportTest.moc"
