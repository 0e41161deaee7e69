#pragma once

#include "screens/MyApplication.h"

#include <QTest>
#include <QTextCodec>

// Like QTEST_MAIN, but with the wizard's own application object, so that screens
// that store the user's identity find it.
#define RAVELO_TEST_MAIN(TestObject)                                                                                   \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));                                              \
        MyApplication app(argc, argv);                                                                                 \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
