#include "Startup.h"

#include "MyApplication.h"
#include "cloud/ServiceHosts.h"
#include "screens/TopWindow.h"

#include <QTextCodec>

int runSetupWizard(int& argc, char** argv)
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    // The screens are fixed 720 x 445 pixel layouts; scaling keeps them in proportion
    // on high-density displays.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);

    MyApplication app(argc, argv);
    ServiceHosts::installExtraCaCertificates();
    TopWindow top;
    top.show();
    return app.exec();
}
