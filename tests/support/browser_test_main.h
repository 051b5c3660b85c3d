#pragma once

#include <QApplication>
#include <QTest>

// main() for tests that show the embedded browser: the browser wants shared GL contexts
// set before the application object exists.
#define TAVREL_BROWSER_TEST_MAIN(TestObject)                                                                           \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                                    \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
