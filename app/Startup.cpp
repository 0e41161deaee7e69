#include "Startup.h"

#include "CommandLine.h"
#include "screens/MyApplication.h"
#include "Translation.h"
#include "screens/ScreenFrame.h"
#include "screens/TopWindow.h"

#include <QIcon>
#include <QLocale>
#include <QMainWindow>

namespace {
// A screen goes once it has handed over; the one still open when the wizard ends goes
// with it. The USB link's hidden widget is not a screen and stays with the command
// sender.
void deleteScreens()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget))
            delete widget;
    }
}
}

int runSetupWizard(int& argc, char** argv)
{
    if (const std::optional<int> exitCode = CommandLine::handle(argc, argv))
        return *exitCode;
    MyApplication::setUpScaling();

    MyApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("ravelo-setup"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ravelo-setup")));
    Translation::install(app, Translation::prefersEnglish(QLocale::system()));
    ScreenFrame::showFirst(new TopWindow);
    const int exitCode = app.exec();
    deleteScreens();
    return exitCode;
}
