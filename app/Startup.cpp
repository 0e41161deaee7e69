#include "Startup.h"

#include "CommandLine.h"
#include "DisplayDefaults.h"
#include "SingleInstance.h"
#include "screens/MyApplication.h"
#include "Translation.h"
#include "screens/ScreenFrame.h"
#include "screens/TopWindow.h"

#include <QEvent>
#include <QIcon>
#include <QLocale>
#include <QMainWindow>

#include <memory>

namespace {
// Task bars take the window's icon whenever it is set, so the icon theme is read once
// the first screen has been painted: on X that lookup takes longer than the screen.
class IconAfterFirstPaint : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QMetaObject::invokeMethod(
                this, [] { QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("ravelo-setup"))); },
                Qt::QueuedConnection);
        }
        return false;
    }
};

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

void bringScreenToFront()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget) && widget->isVisible()) {
            widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
            widget->raise();
            ScreenFrame::activate(widget);
        }
    }
}

// Rendering without a display is no desktop session: there is nothing to hand over to.
bool onADesktop()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}
}

int runSetupWizard(int& argc, char** argv)
{
    if (const std::optional<int> exitCode = CommandLine::handle(argc, argv))
        return *exitCode;
    MyApplication::setUpScaling();

    auto displayDefaults = std::make_unique<DisplayDefaults>();
    MyApplication app(argc, argv);
    displayDefaults.reset();
    if (onADesktop()) {
        auto* instance = new SingleInstance(&app);
        if (instance->handOverToRunningCopy())
            return 0;
        instance->listen();
        QObject::connect(instance, &SingleInstance::activationRequested, &app, bringScreenToFront);
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("ravelo-setup"));
    Translation::install(app, Translation::prefersEnglish(QLocale::system()));
    auto* top = new TopWindow;
    top->installEventFilter(new IconAfterFirstPaint(&app));
    ScreenFrame::showFirst(top);
    const int exitCode = app.exec();
    deleteScreens();
    return exitCode;
}
