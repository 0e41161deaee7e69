#include "Startup.h"

#include "CommandLine.h"
#include "screens/MyApplication.h"
#include "Translation.h"
#include "cloud/ServiceHosts.h"
#include "screens/TopWindow.h"

#include <QLocale>
#include <QMainWindow>
#include <QTextCodec>

namespace {
// Screens stay allocated while the wizard runs; when it ends they go with it. The
// USB link's hidden widget is not a screen and stays with the command sender.
void deleteScreensOtherThan(QWidget* top)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget != top && qobject_cast<QMainWindow*>(widget))
            delete widget;
    }
}
}

int runSetupWizard(int& argc, char** argv)
{
    if (const std::optional<int> exitCode = CommandLine::handle(argc, argv))
        return *exitCode;
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    // The screens are fixed 720 x 445 pixel layouts; scaling keeps them in proportion
    // on high-density displays.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);

    MyApplication app(argc, argv);
    Translation::install(app, Translation::prefersEnglish(QLocale::system()));
    ServiceHosts::installExtraCaCertificates();
    TopWindow top;
    top.show();
    const int exitCode = app.exec();
    deleteScreensOtherThan(&top);
    return exitCode;
}
