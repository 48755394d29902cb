// SPDX-License-Identifier: MIT
#include "NewHeightDialog.h"

#include "Look.h"
#include "QtText.h"

#include "fieldbook/Translation.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora::app {

NewHeightDialog::NewHeightDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(FromUtf8(Tr("New height")));
    setFont(ProgramFont());
    PaintMoneyGreen(this);
    setFixedSize(193, 167);

    Label2 = new QLabel(FromUtf8(TrIn("new height dialog", "Point number")), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(16, 8, 65, 13);
    Label2->setFont(FontFittingWidth(font(), Label2->text(), Label2->width()));

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    // Typed text must not become a list item: the list is only what SetPoints gives.
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setGeometry(16, 32, 161, 21);

    Label3 = new QLabel(FromUtf8(Tr("is given the height")), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(16, 64, 113, 13);
    Label3->setFont(FontFittingWidth(font(), Label3->text(), Label3->width()));

    Edit2 = new QLineEdit(QStringLiteral("1000"), this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(16, 88, 161, 21);

    Button1 = new QPushButton(FromUtf8(Tr("To Excel")), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(16, 128, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] {
        Cancelled = false;
        accept();
    });

    Button2 = new QPushButton(FromUtf8(TrIn("window button", "Cancel")), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(104, 128, 75, 25);
    connect(Button2, &QPushButton::clicked, this, &NewHeightDialog::reject);

    setTabOrder(Edit2, Button1);
    setTabOrder(Button1, ComboBox1);
    setTabOrder(ComboBox1, Button2);
    Edit2->setFocus();
}

void NewHeightDialog::SetPoints(const QStringList& points)
{
    ComboBox1->clear();
    ComboBox1->addItems(points);
    if (points.isEmpty()) {
        ComboBox1->clearEditText();
    }
    else {
        ComboBox1->setCurrentIndex(0);
        ComboBox1->setEditText(points.first());
    }
}

bool NewHeightDialog::Ask(const QStringList& points)
{
    SetPoints(points);
    exec();
    return !Cancelled;
}

QString NewHeightDialog::startPointText() const
{
    return ComboBox1->currentText();
}

QString NewHeightDialog::heightText() const
{
    return Edit2->text();
}

void NewHeightDialog::reject()
{
    // "Отмена", Escape and the window's close all come here.
    Cancelled = true;
    QDialog::reject();
}

}  // namespace velmora::app
