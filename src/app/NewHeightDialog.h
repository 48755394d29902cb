// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora::app {

/// "Новая высота": asks for the point a run starts from and the height to give it before the
/// run goes to Excel. The dialog lives as long as the main window, so the height typed once is
/// proposed again the next time. Like every QDialog with a parent, it shows centred on the
/// parent's window each time.
class NewHeightDialog : public QDialog {
    Q_OBJECT

public:
    explicit NewHeightDialog(QWidget* parent = nullptr);

    /// Empties the point list, adds the given points in the given order (the caller passes them
    /// distinct and sorted) and proposes the first one. The height is left as it is.
    void SetPoints(const QStringList& points);

    /// SetPoints, then shows the dialog modally; true when the user chose "В Excel".
    bool Ask(const QStringList& points);

    /// True after "Отмена", Escape or closing the window; false at creation and after "В Excel".
    bool cancelled() const { return Cancelled; }

    /// The point number exactly as typed or chosen, spaces included.
    QString startPointText() const;

    /// The height exactly as typed.
    QString heightText() const;

public slots:
    void reject() override;

private:
    bool Cancelled = false;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

}  // namespace velmora::app
