// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QUrl;

namespace velmora::app {

/// The "Info" window: the program's name, a picture of the instrument and the maker's details.
/// The web address and the two e-mail addresses open the maker's web page. Closing only hides
/// the window.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    /// Opens a web page; the result is not looked at.
    using UrlOpener = std::function<void(const QUrl&)>;

    explicit AboutWindow(QWidget* parent = nullptr);

    /// Replaces the opener of the maker's web page (QDesktopServices::openUrl unless replaced).
    void SetUrlOpener(UrlOpener opener);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* MakeLinkLabel(const QString& name, const QString& text, const QRect& geometry);

    UrlOpener OpenUrl;
    QLabel* Label1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace velmora::app
