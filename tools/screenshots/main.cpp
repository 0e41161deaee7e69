// Renders every wizard screen and saves it as <ClassName>.png, so that the screens can
// be looked at without a display or a camera. --lang en or --lang ja picks
// the language; without it, the language is chosen as the wizard chooses it. --dark
// (last) renders them under a dark desktop palette, as dark themes set it.
#include "DarkPalette.h"
#include "screens/MyApplication.h"
#include "app/Translation.h"
#include "screens/CameraNameWindow.h"
#include "screens/LoginWindow.h"
#include "screens/RegistUserWindow.h"
#include "screens/CompleteWindow.h"
#include "screens/PreparationWindow.h"
#include "screens/SettingsWiFiWindow.h"
#include "screens/TopWindow.h"
#include "screens/WifiListWindow.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QMainWindow>
#include <QPalette>
#include <QStyle>
#include <QTextStream>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {
bool save(QMainWindow* window, const QDir& directory)
{
    window->show();
    // Active, as a screen the wizard has just opened: its focus frame shows.
    QApplication::setActiveWindow(window);
    QCoreApplication::processEvents();
    const QString file = directory.filePath(QString::fromLatin1(window->metaObject()->className()) + ".png");
    const bool saved = window->grab().save(file);
    QTextStream(stdout) << (saved ? "saved " : "could not save ") << file << '\n';
    window->hide();
    return saved;
}
}

namespace {
void useDarkPalette()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(darkPalette());
}
}

int main(int argc, char* argv[])
{
    const bool dark = argc > 2 && qstrcmp(argv[argc - 1], "--dark") == 0;
    if (dark)
        --argc;
    const bool languageGiven = argc == 4 && qstrcmp(argv[2], "--lang") == 0;
    if ((argc != 2 && !languageGiven)
        || (languageGiven && qstrcmp(argv[3], "en") != 0 && qstrcmp(argv[3], "ja") != 0)) {
        QTextStream(stderr) << "usage: ravelo-screenshots OUTDIR [--lang en|ja] [--dark]\n";
        return 2;
    }
    // Offscreen unless a platform is named, so that the screens can also be rendered on
    // an X server with the desktop's text size (Xft.dpi).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
        // The offscreen platform reports 100 dpi, which would scale the screens by 1.04;
        // a desktop at 100 % text size is at 96.
        if (qEnvironmentVariableIsEmpty("QT_FONT_DPI"))
            qputenv("QT_FONT_DPI", QByteArrayLiteral("96"));
    }
    MyApplication::setUpScaling();
    MyApplication app(argc, argv);
    const bool english = languageGiven ? qstrcmp(argv[3], "en") == 0 : Translation::prefersEnglish(QLocale::system());
    Translation::install(app, english);
    if (dark)
        useDarkPalette();
    QDir directory(QString::fromLocal8Bit(argv[1]));
    directory.mkpath(QStringLiteral("."));

    std::vector<std::function<QMainWindow*()>> screens = {
        [] { return new TopWindow; },        [] { return new PreparationWindow; },
        [] { return new LoginWindow; },      [] { return new RegistUserWindow; },
        [] { return new WifiListWindow; },   [] { return new SettingsWiFiWindow(QString()); },
        [] { return new CameraNameWindow; }, [] { return new CompleteWindow; },
    };
    bool allSaved = true;
    for (const auto& make : screens) {
        std::unique_ptr<QMainWindow> window(make());
        allSaved = save(window.get(), directory) && allSaved;
    }
    return allSaved ? 0 : 1;
}
