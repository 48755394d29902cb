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

MonitorProjectDialog::MonitorProjectDialog(ToleranceClass toleranceClass,
                                           std::function<std::string(const std::string&)> proposeMarks,
                                           QWidget* parent)
    : QDialog(parent), toleranceClass_(toleranceClass), proposeMarks_(std::move(proposeMarks))
{
    setObjectName(QStringLiteral("MonitorProjectDialog"));
    setWindowTitle(FromUtf8(Tr("New monitoring project")));
    auto* layout = new QVBoxLayout(this);

    auto* benchmarksLabel = new QLabel(FromUtf8(Tr("&Benchmarks, one a line (F2=10,0 with its height, F4 without):")), this);
    benchmarks_ = new QPlainTextEdit(this);
    benchmarks_->setObjectName(QStringLiteral("Benchmarks"));
    benchmarks_->setTabChangesFocus(true);
    benchmarksLabel->setBuddy(benchmarks_);
    layout->addWidget(benchmarksLabel);
    layout->addWidget(benchmarks_, 1);

    auto* marksLabel = new QLabel(
        FromUtf8(Tr("&Marks (as proposed: every intermediate sight and run end of the cycles' books that is no "
                    "benchmark):")),
        this);
    marksLabel->setWordWrap(true);
    marks_ = new QPlainTextEdit(this);
    marks_->setObjectName(QStringLiteral("Marks"));
    marks_->setTabChangesFocus(true);
    marksLabel->setBuddy(marks_);
    layout->addWidget(marksLabel);
    layout->addWidget(marks_, 1);

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
