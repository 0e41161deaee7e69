#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTextStream>

namespace {
// Options that QApplication takes for itself; they pass through unchecked.
void allowQtOptions(QCommandLineParser& parser)
{
    for (const char* name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowtitle", "qwindowicon",
          "style", "stylesheet", "session", "display", "geometry", "title", "name", "qmljsdebugger"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}
}

std::optional<int> CommandLine::handle(int argc, char** argv)
{
    int count = argc;
    QCoreApplication reader(count, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ravelo-setup"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RAVELO_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Sets up a Ravelo home camera plugged in by USB: signs in to the Ravelo account, "
                       "writes the Wi-Fi settings into the camera and registers it."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     QStringLiteral("Print what the wizard sends and receives (passwords, tokens "
                                                    "and the camera's ids masked)."));
    parser.addOption(verbose);
    allowQtOptions(parser);
    if (!parser.parse(reader.arguments())) {
        QTextStream(stderr) << parser.errorText() << "\n\n" << parser.helpText();
        return UsageError;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        QTextStream(stdout) << QCoreApplication::applicationName() << ' ' << QCoreApplication::applicationVersion()
                            << '\n';
        return 0;
    }
    // QT_LOGGING_RULES, when set, still has the last word.
    if (parser.isSet(verbose))
        QLoggingCategory::setFilterRules(QStringLiteral("ravelo.*.debug=true"));
    return std::nullopt;
}
