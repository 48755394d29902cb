// SPDX-License-Identifier: MIT
#include "HelpWindow.h"

#include "Look.h"
#include "QtText.h"

#include "fieldbook/Translation.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QPushButton>
#include <QStringList>

namespace velmora::app {

QString HelpText()
{
    // Keep every space: the memo shows the lines as they are, and the runs of spaces line up
    // the examples and the maker's details.
    const QStringList lines = {
        // TRANSLATORS: the help window's lines, one each; keep their leading and trailing spaces.
        FromUtf8(Tr("     VELMORA TESK processes levelling runs ")),
        FromUtf8(Tr("measured with the TRIMBLE DINI 12 digital level.")),
        FromUtf8(Tr("Once a file from the level is opened, the left column shows:")),
        QString(),
        FromUtf8(Tr("1174 // 0,0001  run number // misclosure")),
        FromUtf8(Tr("1397 // ******     run number // empty run")),
        FromUtf8(Tr("1179 // -----        run number // measurements not closed on the same point.")),
        QString(),
        FromUtf8(Tr("In a closed run the misclosures are distributed in proportion to distance.")),
        FromUtf8(Tr("In a run that is not closed no misclosures are computed.")),
        FromUtf8(Tr("Runs highlighted in red exceed the tolerance of class II levelling.")),
        FromUtf8(Tr("The program can process a single run as well as several runs ")),
        FromUtf8(Tr("at once.")),
        FromUtf8(Tr("To do so, select the run (in the left column), press the button “to ")),
        FromUtf8(Tr("Excel ”  choose the point,")),
        FromUtf8(Tr("enter the height of the point and press the button  “To Excel”. The program then ")),
        FromUtf8(Tr("computes all ")),
        FromUtf8(Tr("the heights of the points taking part in the run, computes the misclosure, ")),
        FromUtf8(Tr("distributes the misclosure in proportion to distance,")),
        FromUtf8(Tr("computes the largest allowed misclosure for the run. This information ")),
        FromUtf8(Tr("is written to a file whose name is ")),
        FromUtf8(Tr("made from the run numbers. ")),
        QString(),
        FromUtf8(Tr("Menu Tools › Settlement monitoring… keeps a monitoring project:")),
        FromUtf8(Tr("the open book is added as a cycle of its day; the sheet shows")),
        FromUtf8(Tr("each mark's settlement per cycle and since its first cycle, the")),
        FromUtf8(Tr("significant ones in red, and the chart of settlement against time.")),
        QString(),
        QString(),
        QString(20, QLatin1Char(' ')) + MakerCityAndYear(),
        QString(),
        kMakerEmail1 + QString(6, QLatin1Char(' ')) + kMakerWebAddress + QString(6, QLatin1Char(' '))
            + kMakerTelephone,
    };
    return lines.join(QLatin1Char('\n'));
}

HelpWindow::HelpWindow(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                  | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Help"));
    setFont(ProgramFont());
    PaintMoneyGreen(this);
    setFixedSize(494, 449);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(16, 16, 457, 385);
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Memo1->setFocusPolicy(Qt::StrongFocus);
    Memo1->setPlainText(HelpText());
    // Every line of the text shows as one line: the font is made small enough for the widest
    // line to fit the memo, and a line still too wide scrolls sideways instead of wrapping.
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    const QStringList lines = HelpText().split(QLatin1Char('\n'));
    const QString* widest = &lines.first();
    const QFontMetrics metrics(Memo1->font());
    for (const QString& line : lines) {
        if (metrics.horizontalAdvance(line) > metrics.horizontalAdvance(*widest))
            widest = &line;
    }
    const int room = Memo1->width() - 2 * Memo1->frameWidth() -
                     2 * static_cast<int>(Memo1->document()->documentMargin()) -
                     Memo1->verticalScrollBar()->sizeHint().width() - 1;
    Memo1->setFont(FontFittingWidth(Memo1->font(), *widest, room));

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(80, 416, 313, 25);
    connect(Button1, &QPushButton::clicked, this, &QWidget::hide);

    setTabOrder(Memo1, Button1);
    Memo1->setFocus();
}

}  // namespace velmora::app
