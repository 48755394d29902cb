// SPDX-License-Identifier: MIT
#pragma once

#include "state/MonitorTool.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace velmora::app {

/// "Новый проект": the settings of a new monitoring project. The benchmarks one a line
/// ("F2=10,0", a height with a decimal point or comma, or "F4"); the marks, proposed as the
/// default list of the open book's runs (kept as the default while left as proposed, and
/// proposed again without the benchmarks typed); σ of 1 km from the class in force or typed in
/// millimetres; α.
class MonitorProjectDialog : public QDialog {
    Q_OBJECT
public:
    /// `proposeMarks`: the default marks (Windows-1251) without the benchmarks typed (given as
    /// typed, Windows-1251).
    MonitorProjectDialog(ToleranceClass toleranceClass,
                         std::function<std::string(const std::string& benchmarks)> proposeMarks,
                         QWidget* parent = nullptr);

    /// The settings as typed.
    NewProjectInput Input() const;

    // Controls, for tests.
    QPlainTextEdit* benchmarksEdit() const { return benchmarks_; }
    QPlainTextEdit* marksEdit() const { return marks_; }
    QRadioButton* typedSigmaButton() const { return typedSigma_; }
    QLineEdit* sigmaEdit() const { return sigma_; }
    QLineEdit* alphaEdit() const { return alpha_; }

private:
    void ProposeMarks();

    ToleranceClass toleranceClass_;
    std::function<std::string(const std::string&)> proposeMarks_;
    QString proposed_;  // the marks proposed last
    QPlainTextEdit* benchmarks_ = nullptr;
    QPlainTextEdit* marks_ = nullptr;
    QRadioButton* classSigma_ = nullptr;
    QRadioButton* typedSigma_ = nullptr;
    QLineEdit* sigma_ = nullptr;
    QLineEdit* alpha_ = nullptr;
};

}  // namespace velmora::app
