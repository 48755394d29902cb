// SPDX-License-Identifier: MIT
#include "AboutWindow.h"

#include "InstrumentPicture.h"
#include "Look.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>

namespace velmora::app {

namespace {

QFont BoldFont(int points, bool underlined = false)
{
    QFont font = ProgramFont();
    font.setPointSize(points);
    font.setBold(true);
    font.setUnderline(underlined);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry,
                  const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(FontFittingWidth(font, text, geometry.width()));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                  | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      OpenUrl([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setWindowTitle(QStringLiteral("Info"));
    setFont(ProgramFont());
    PaintMoneyGreen(this);
    setFixedSize(273, 515);

    Label1 = MakeLabel(this, QStringLiteral("Label1"), kProgramName, QRect(64, 8, 109, 16),
                       BoldFont(10));

    // The picture keeps its own size from the top-left corner of its area: the area is 4
    // columns narrower and 4 rows taller than the picture.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 24, 257, 369);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setScaledContents(false);
    Image1->setPixmap(QPixmap::fromImage(DrawInstrumentPicture()));

    Label2 = MakeLinkLabel(QStringLiteral("Label2"), kMakerWebAddress, QRect(24, 400, 105, 16));

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(160, 400, 81, 25);
    connect(Button1, &QPushButton::clicked, this, &QWidget::hide);

    Label4 = MakeLabel(this, QStringLiteral("Label4"), QStringLiteral("tel   ") + kMakerTelephone,
                       QRect(8, 431, 180, 20), BoldFont(12));
    Label3 = MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("Lab   VELMORA         "),
                       QRect(8, 464, 167, 20), BoldFont(12));
    Label5 = MakeLinkLabel(QStringLiteral("Label5"), kMakerEmail1 + QLatin1Char(' '),
                           QRect(8, 488, 115, 16));
    Label6 = MakeLinkLabel(QStringLiteral("Label6"), kMakerEmail2, QRect(136, 488, 120, 16));

    Button1->setFocus();
}

void AboutWindow::SetUrlOpener(UrlOpener opener)
{
    OpenUrl = std::move(opener);
}

QLabel* AboutWindow::MakeLinkLabel(const QString& name, const QString& text, const QRect& geometry)
{
    QLabel* label = MakeLabel(this, name, text, geometry, BoldFont(10, true));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    return label;
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Like a button: the page opens when the left button is released over the label it was
    // pressed on. The e-mail addresses open the web page too.
    const bool link = watched == Label2 || watched == Label5 || watched == Label6;
    if (link && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QLabel*>(watched);
        const bool inside = label->rect().contains(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && inside) {
            if (OpenUrl)
                OpenUrl(QUrl(kMakerWebUrl));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace velmora::app
