#pragma once

// The main function of a test of windows.

#include "TestFolder.h"
#include "shell/Resources.h"

#include <QApplication>

// QTEST_MAIN with the fixed test locale set first.
#define TF_TEST_MAIN(TestObject)                                                                                       \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        tf::test::useTestLocale();                                                                                     \
        tf::initResources();                                                                                           \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
