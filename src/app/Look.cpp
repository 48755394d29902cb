#include "Look.h"

#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace velmora::app {

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

void PaintMoneyGreen(QWidget* window)
{
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, kMoneyGreen);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

}  // namespace velmora::app
