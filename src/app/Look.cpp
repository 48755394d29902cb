// SPDX-License-Identifier: MIT
#include "Look.h"

#include "QtText.h"

#include "fieldbook/Translation.h"

#include <QFontDatabase>
#include <QLabel>
#include <QFontMetrics>
#include <QPalette>
#include <QWidget>

namespace velmora::app {

QString MakerCityAndYear()
{
    // TRANSLATORS: the maker's town (invented, as are the other details) and the year.
    return FromUtf8(Tr("Velmora, 2026"));
}

QFont ProgramFont()
{
    const QString classic = QStringLiteral("MS Sans Serif");
    if (QFontDatabase::families().contains(classic))
        return QFont(classic, 8);
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QFont FontFittingWidth(const QFont& font, const QString& text, int width)
{
    constexpr int kSmallestPoints = 6;
    QFont fitted = font;
    const QString shown = text.trimmed();
    while (fitted.pointSize() > kSmallestPoints &&
           QFontMetrics(fitted).horizontalAdvance(shown) > width)
        fitted.setPointSize(fitted.pointSize() - 1);
    return fitted;
}

void PaintMoneyGreen(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, kMoneyGreen);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

QLabel* NewMessageLine(QWidget* parent)
{
    auto* message = new QLabel(parent);
    message->setObjectName(QStringLiteral("Message"));
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette red = message->palette();
    red.setColor(QPalette::WindowText, kFlagRed);
    message->setPalette(red);
    message->hide();
    return message;
}

}  // namespace velmora::app
