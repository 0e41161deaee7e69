#include "CommandLine.h"

#include "Translation.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
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

QString CommandLine::tr(const char* text)
{
    return QCoreApplication::translate("CommandLine", text);
}

QString CommandLine::environmentHelp()
{
    const QList<QPair<const char*, QString>> variables = {
        {"RAVELO_ACCOUNT_HOST, RAVELO_APP_HOST, RAVELO_TERMS_HOST",
         tr("サービスのホスト（「:ポート」も付けられます）")},
        {"RAVELO_EXTRA_CA_CERTS", tr("信頼する認証局を加えるPEMファイル")},
        {"https_proxy, all_proxy, no_proxy", tr("プロキシ（大文字の名前も読みます）")},
        {"QT_LOGGING_RULES", tr("診断出力の選択（例：ravelo.usb.debug=true）")},
    };
    QString text = tr("環境変数:") + QLatin1Char('\n');
    for (const auto& variable : variables)
        text += QStringLiteral("  %1\n      %2\n").arg(QLatin1String(variable.first), variable.second);
    return text;
}

std::optional<int> CommandLine::handle(int argc, char** argv)
{
    int count = argc;
    QCoreApplication reader(count, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ravelo-setup"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RAVELO_VERSION));
    // The help speaks the language the screens will.
    Translation::install(reader, Translation::prefersEnglish(QLocale::system()));
    QCommandLineParser parser;
    parser.setApplicationDescription(tr("USBで接続したRaveloホームカメラを設定します。Raveloアカウントにログインし、"
                                        "Wi-Fiの設定をカメラに書き込んで、カメラを登録します。"));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption verbose(QStringLiteral("verbose"),
                                     tr("送受信する内容を表示します（パスワード、トークン、カメラのIDは伏せます）。"));
    parser.addOption(verbose);
    allowQtOptions(parser);
    if (!parser.parse(reader.arguments())) {
        QTextStream(stderr) << parser.errorText() << "\n\n" << parser.helpText();
        return UsageError;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        QTextStream(stdout) << parser.helpText() << '\n' << environmentHelp();
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
