// SPDX-License-Identifier: MIT
// velmora-tesk: the main window on a field book named as the first argument.

#include "AboutWindow.h"
#include "HelpWindow.h"
#include "Look.h"
#include "MainWindow.h"
#include "NewHeightDialog.h"
#include "QtText.h"
#include "Startup.h"
#include "fieldbook/AtomicFile.h"
#include "fieldbook/Translation.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <iostream>

namespace {

// An error that escapes a handler is shown, and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            QMessageBox::critical(activeWindow(), velmora::app::kProgramName,
                                  QString::fromLocal8Bit(error.what()));
        } catch (...) {
            QMessageBox::critical(activeWindow(), velmora::app::kProgramName, QString());
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    using namespace velmora::app;
    velmora::KeepStandardDescriptorsTaken();
    // Answered before the application exists: they need no display.
    if (const auto status = AnswerWithoutWindow(argc, argv, std::cout, std::cerr))
        return *status;

    Application application(argc, argv);
    PrepareApplication(application);
    // The window speaks Russian whatever the desktop's language, the core's texts too; English
    // when its catalogue is damaged.
    if (const std::string warning = velmora::UseLanguage("ru", velmora::ProgramLocaleFolder()); !warning.empty())
        std::cerr << "velmora-tesk: " << warning << '\n';
    QApplication::setApplicationName(QStringLiteral("velmora-tesk"));
    // The desktop entry the window belongs to (a Wayland desktop finds its icon and name there).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.tesk"));
    QApplication::setFont(ProgramFont());

    try {
        // The windows are created in this order and live until the program ends.
        const std::string startFile = StartFileOf(argc, argv);
        MainWindow form1(startFile, MainWindow::StartReading::WhenShown);
        NewHeightDialog form2(&form1);
        HelpWindow form3(&form1);
        AboutWindow info(&form1);
        form1.SetCompanions(&form2, &form3, &info);
        form1.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, kProgramName, QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
