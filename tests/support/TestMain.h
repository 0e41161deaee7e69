#pragma once

#include "screens/MyApplication.h"

#include <QTest>

namespace TestMain {
// CTest's code for a skipped test: a test that could not run what it is for says so
// rather than passing.
constexpr int SkippedExitCode = 77;

inline bool& skipped()
{
    static bool anySkipped = false;
    return anySkipped;
}
}

// QSKIP that also makes the whole program report itself skipped.
#define RAVELO_SKIP(reason)                                                                                            \
    do {                                                                                                               \
        TestMain::skipped() = true;                                                                                    \
        QSKIP(reason);                                                                                                 \
    } while (false)

// Like QTEST_MAIN, but with the wizard's own application object, so that screens
// that store the user's identity find it.
#define RAVELO_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        MyApplication app(argc, argv);                                                                                 \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        const int result = QTest::qExec(&tc, argc, argv);                                                              \
        return result == 0 && TestMain::skipped() ? TestMain::SkippedExitCode : result;                                \
    }
