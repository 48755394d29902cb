// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;

namespace velmora::app {

/// The help text: 32 lines joined with "\n" (no newline after the last one). The runs of spaces
/// inside and at the ends of the lines are part of the text.
QString HelpText();

/// The "Help" window: the help text in a read-only, selectable memo and an "Ok" button.
/// Closing only hides the window; the next show brings back the same window with the same
/// scroll position.
class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

private:
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace velmora::app
