// SPDX-License-Identifier: MIT
#pragma once

// Colours, fonts and the maker's details shared by the program's windows.

#include "Version.h"

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace velmora::app {

/// The background of every window of the program: money green.
inline const QColor kMoneyGreen(192, 220, 192);

/// What is above its limit, in every window: a run above tolerance, a finding, an outlier, a
/// significant settlement.
inline const QColor kFlagRed(255, 0, 0);

/// The program's name and version as captions show it.
inline const QString kProgramName = QString::fromUtf8(velmora::kProgramNameAndVersion);

/// The maker's details (invented for this project; velmora.example is a reserved domain).
inline const QString kMakerWebAddress = QStringLiteral("www.velmora.example");
inline const QString kMakerWebUrl = QStringLiteral("https://www.velmora.example/");
inline const QString kMakerEmail1 = QStringLiteral("lab@velmora.example");
inline const QString kMakerEmail2 = QStringLiteral("info@velmora.example");
inline const QString kMakerTelephone = QStringLiteral("+7 000 555-01-23");
/// The maker's town and year, in the window's language.
QString MakerCityAndYear();

/// The font of the windows: "MS Sans Serif" at 8 points where it is installed, otherwise the
/// platform's sans-serif font at 8 points.
QFont ProgramFont();

/// `font`, made smaller point by point (down to 6 points) until `text` (without leading and
/// trailing blanks) is at most `width` pixels wide: the windows keep the places and sizes of
/// their controls where the platform's font is wider than the one they were laid out for.
QFont FontFittingWidth(const QFont& font, const QString& text, int width);

/// Gives a window the money-green background.
void PaintMoneyGreen(QWidget* window);

/// The line of a Tools window that says why something was refused: red, wrapped, hidden until
/// there is something to say.
QLabel* NewMessageLine(QWidget* parent);

}  // namespace velmora::app
