// SPDX-License-Identifier: MIT
#pragma once

#include "state/OpenBook.h"

#include <string>

namespace velmora {

/// What the status bar shows: a file path (bytes as the file system gives them) or one of the
/// program's messages (Windows-1251).
struct StatusText {
    enum class Kind { Message, Path };
    Kind kind = Kind::Message;
    std::string text;

    bool operator==(const StatusText&) const = default;
};

/// Messages of the main window: the catalogue's English, shown translated (Windows-1251).
namespace messages {
/// "Файл не открыт или не открылся." — the file named at start could not be read.
extern const char* const kStartOpenFailed;
/// "Ошибка при открытии файла" — the file chosen in the open dialog could not be read.
extern const char* const kOpenFailed;
/// "ERROR", in Label1 after a failed open.
extern const std::string kErrorWord;
/// Back or Forward changed nothing: the opened book is gone from disk or cannot be read.
extern const char* const kStepBookUnreadable;
/// Back or Forward changed nothing: the file holds other bytes than the book opened.
extern const char* const kStepBookChanged;
/// A save of a DiNi book whose readings were edited in the grid: the file has them as read.
extern const char* const kSavedWithoutEdits;
}  // namespace messages

/// The main window's state, without any widget: the open book and the texts only the window
/// shows (Label1, Label2, the status bar, the names its file dialogs propose). The window shows
/// this state and forwards every user action here.
class MainWindowState : public OpenBook {
public:
    MainWindowState();

    const std::string& label1() const { return label1_; }
    const std::string& label2() const { return label2_; }
    const StatusText& status() const { return status_; }

    /// Start-up with the first command-line argument (empty when there is none).
    bool OpenAtStart(const std::string& path);
    /// The open command, after the user chose `path` in the open dialog.
    bool OpenChosenFile(const std::string& path);

    /// The save command, after the user chose `path` in the save dialog; the dialog proposes
    /// that name next time. When the saved lines had readings edited in the grid that their
    /// layout saves as read (a DiNi book), the status bar says that the file does not hold
    /// them.
    using OpenBook::SaveMeasurementFile;
    bool SaveMeasurementFile(const std::string& path, Failure& failure) override;
    /// The name the save dialog proposes: the one chosen there last, empty at first and after
    /// an export (which uses the same dialog and leaves it empty).
    const std::string& saveDialogFileName() const { return saveDialogFileName_; }
    /// The file chosen last in the open dialog, whether it could be read or not; empty when
    /// only the command line named one.
    const std::string& lastChosenFile() const { return lastChosenFile_; }

    /// The export's request with the file name the save dialog proposes: the folder of the
    /// file last chosen in the open dialog, the sheet name, ".xls".
    ExportPreparation PrepareExport(std::string startPoint, std::string_view heightText) const override;
    /// The export after the save dialog, which is left without a name either way.
    ExportOutcome RunExport(const ExportRequest& request, const std::string& chosenPath) override;

    /// Label2's caption from the coefficient.
    void ShowClassLabel();

protected:
    void LoadStarted(const std::string& path) override;
    void ClassSettled() override { ShowClassLabel(); }
    void StepRefused(BookOnDisk found, const Failure& failure) override;

private:
    bool Open(const std::string& path, const char* failureMessage);

    std::string label1_;
    std::string label2_;
    StatusText status_;
    std::string saveDialogFileName_;
    std::string lastChosenFile_;
};

}  // namespace velmora
