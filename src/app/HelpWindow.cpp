// SPDX-License-Identifier: MIT
#include "HelpWindow.h"

#include "Look.h"

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
        QStringLiteral("     Программа VELMORA TESK производит обработку нивелирных ходов, "),
        QStringLiteral("полученных с цифрового нивелира TRIMBLE DINI 12."),
        QStringLiteral("После открытия файла, полученного с нивелира в левой колонке появляются значения:"),
        QString(),
        QStringLiteral("1174 // 0,0001  номер хода // невязка"),
        QStringLiteral("1397 // ******     номер хода // ход пустой"),
        QStringLiteral("1179 // -----        номер хода // измерения без замыкания на ту же точку."),
        QString(),
        QStringLiteral("Невязки в замкнутом ходе распределяются пропорционально расстоянию."),
        QStringLiteral("В не замкнутом ходе невязки не рассчитываются."),
        QStringLiteral("Хода, подсвеченные красным цветом, превышают допуск нивелирования II класса."),
        QStringLiteral("Программа способна  обрабатывать как по отдельности  ход, так и  несколько ходов "),
        QStringLiteral("сразу."),
        QStringLiteral("Для этого следует выделить нужный  ход (в левой колонке), нажав кнопку “перевести в "),
        QStringLiteral("Excel ”  выбрать нужную точку,"),
        QStringLiteral("ввести нужную отметку для точки и нажать кнопку  “В Excel”. Программа далее "),
        QStringLiteral("автоматически рассчитает все "),
        QStringLiteral("отметки точек, которые участвуют в обработке данного хода, вычислит невязку, "),
        QStringLiteral("распределит невязку пропорционально расстоянию,"),
        QStringLiteral("рассчитает максимально допустимую невязку для данного хода.Данная информация "),
        QStringLiteral("будет создана в файле, название которого будет "),
        QStringLiteral("автоматически создано из номеров ходов. "),
        QString(),
        QString(),
        QString(20, QLatin1Char(' ')) + kMakerCityAndYear,
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
