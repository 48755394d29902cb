// SPDX-License-Identifier: MIT
#include "MonitorProjectDialog.h"

#include "QtText.h"

#include "fieldbook/Translation.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

// A box of names, one a line, under its label (which gives it its access key).
QPlainTextEdit* AddListBox(QVBoxLayout* layout, const QString& labelText, const QString& name)
{
    QWidget* parent = layout->parentWidget();
    auto* label = new QLabel(labelText, parent);
    label->setWordWrap(true);
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setTabChangesFocus(true);
    label->setBuddy(box);
    layout->addWidget(label);
    layout->addWidget(box, 1);
    return box;
}

}  // namespace

MonitorProjectDialog::MonitorProjectDialog(ToleranceClass toleranceClass,
                                           std::function<std::string(const std::string&)> proposeMarks,
                                           QWidget* parent)
    : QDialog(parent), toleranceClass_(toleranceClass), proposeMarks_(std::move(proposeMarks))
{
    setObjectName(QStringLiteral("MonitorProjectDialog"));
    setWindowTitle(FromUtf8(Tr("New monitoring project")));
    auto* layout = new QVBoxLayout(this);

    benchmarks_ = AddListBox(layout, FromUtf8(Tr("&Benchmarks, one a line (F2=10,0 with its height, F4 without):")),
                             QStringLiteral("Benchmarks"));
    marks_ = AddListBox(
        layout,
        FromUtf8(Tr("&Marks (as proposed: every intermediate sight and run end of the cycles' books that is no "
                    "benchmark):")),
        QStringLiteral("Marks"));

    auto* form = new QFormLayout;
    layout->addLayout(form);
    classSigma_ = new QRadioButton(FromUtf8(MonitorTool::ClassSigmaText(toleranceClass)), this);
    classSigma_->setObjectName(QStringLiteral("ClassSigma"));
    classSigma_->setChecked(true);
    form->addRow(classSigma_);
    typedSigma_ = new QRadioButton(FromUtf8(Tr("σ of 1 km &typed, mm:")), this);
    typedSigma_->setObjectName(QStringLiteral("TypedSigma"));
    sigma_ = new QLineEdit(this);
    sigma_->setObjectName(QStringLiteral("Sigma"));
    sigma_->setEnabled(false);
    form->addRow(typedSigma_, sigma_);
    connect(typedSigma_, &QRadioButton::toggled, sigma_, &QWidget::setEnabled);
    alpha_ = new QLineEdit(FromUtf8(ForPeople("0.05")), this);
    alpha_->setObjectName(QStringLiteral("Alpha"));
    auto* alphaLabel = new QLabel(FromUtf8(Tr("Significance level &α:")), this);
    alphaLabel->setBuddy(alpha_);
    form->addRow(alphaLabel, alpha_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* create = buttons->addButton(FromUtf8(Tr("&Create…")), QDialogButtonBox::AcceptRole);
    create->setObjectName(QStringLiteral("Create"));
    create->setDefault(true);
    QPushButton* cancel = buttons->addButton(FromUtf8(TrIn("window button", "Cancel")), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(benchmarks_, &QPlainTextEdit::textChanged, this, &MonitorProjectDialog::ProposeMarks);
    ProposeMarks();
    benchmarks_->setFocus();
    resize(520, 420);
}

void MonitorProjectDialog::ProposeMarks()
{
    // The list follows the benchmarks typed while it is as proposed; once edited it is the user's.
    if (marks_->toPlainText() != proposed_)
        return;
    proposed_ = FromCp1251(proposeMarks_(ToCp1251(benchmarks_->toPlainText())));
    marks_->setPlainText(proposed_);
}

NewProjectInput MonitorProjectDialog::Input() const
{
    NewProjectInput input;
    input.benchmarks = ToCp1251(benchmarks_->toPlainText());
    input.marks = ToCp1251(marks_->toPlainText());
    input.proposedMarks = ToCp1251(proposed_);
    if (typedSigma_->isChecked())
        input.sigmaMillimetres = sigma_->text().toStdString();
    input.toleranceClass = toleranceClass_;
    input.alpha = alpha_->text().toStdString();
    return input;
}

}  // namespace velmora::app
