// SPDX-License-Identifier: MIT
#pragma once

// The main of every widget test: the application is prepared exactly as the program's own start
// prepares it (numbers in the "C" locale, Qt's Russian texts), so the tests also hold under
// the desktop locales they are run in. The core's texts come in Russian, as in the window.

#include "Startup.h"
#include "fieldbook/Translation.h"

#include <QApplication>
#include <QTest>

#define VELMORA_WIDGET_TEST_MAIN(TestClass)                        \
    int main(int argc, char** argv)                                \
    {                                                              \
        QApplication application(argc, argv);                      \
        velmora::app::PrepareApplication(application);             \
        velmora::UseLanguage("ru", VELMORA_BUILT_LOCALE_FOLDER);   \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        TestClass test;                                            \
        return QTest::qExec(&test, argc, argv);                    \
    }
