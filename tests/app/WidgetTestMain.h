// SPDX-License-Identifier: MIT
#pragma once

// The main of every widget test: the application is prepared exactly as the program's own start
// prepares it (numbers in the "C" locale, Qt's Russian texts), so the tests also hold under
// the desktop locales they are run in.

#include "Startup.h"

#include <QApplication>
#include <QTest>

#define VELMORA_WIDGET_TEST_MAIN(TestClass)                        \
    int main(int argc, char** argv)                                \
    {                                                              \
        QApplication application(argc, argv);                      \
        velmora::app::PrepareApplication(application);             \
        QTEST_SET_MAIN_SOURCE_PATH                                 \
        TestClass test;                                            \
        return QTest::qExec(&test, argc, argv);                    \
    }
