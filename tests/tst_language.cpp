// The wizard speaks English when the user's languages put English before Japanese,
// and Japanese otherwise; every text has its English translation.
#include "screens/MyApplication.h"
#include "app/Translation.h"
#include "screens/TopWindow.h"

#include <QCryptographicHash>
#include <QDialogButtonBox>
#include <QDomDocument>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {
const char* const DescribeOption = "--describe-top-screen";

QByteArray hashOf(const QString& file)
{
    QFile picture(file);
    if (!picture.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(picture.readAll(), QCryptographicHash::Md5).toHex();
}

// Run as a child with the environment under test: prints what the top screen shows.
int describeTopScreen(int argc, char** argv)
{
    MyApplication app(argc, argv);
    Translation::install(app, Translation::prefersEnglish(QLocale::system()));
    TopWindow top;
    QDialogButtonBox standardButtons(QDialogButtonBox::Cancel);
    // UTF-8 whatever the child's locale, as the parent reads it.
    const QString description = QStringLiteral("title=") + top.windowTitle() + QStringLiteral("\nstart=")
        + top.findChild<QPushButton*>(QStringLiteral("button_start"))->accessibleName() + QStringLiteral("\ncancel=")
        + standardButtons.button(QDialogButtonBox::Cancel)->text() + QStringLiteral("\npicture=")
        + QString::fromLatin1(hashOf(QStringLiteral(":/images/01_start_up.png"))) + QLatin1Char('\n');
    fputs(description.toUtf8().constData(), stdout);
    return 0;
}

QMap<QString, QString> describedUnder(const QStringList& environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANGUAGE", "LANG", "LC_ALL", "LC_MESSAGES"})
        env.remove(QLatin1String(name));
    for (const QString& setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(DescribeOption)});
    child.waitForFinished(20000);
    QMap<QString, QString> described;
    for (const QString& line : QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n')))
        described.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    return described;
}

QString sourcePath(const char* relative)
{
    return QStringLiteral(RAVELO_SOURCE_DIR "/") + QLatin1String(relative);
}
}

class TestLanguage : public QObject
{
    Q_OBJECT

private slots:
    void theUsersLanguagesChooseTheWizardsLanguage_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<bool>("english");

        QTest::newRow("LANGUAGE=en") << QStringList{"LANG=ja_JP.UTF-8", "LANGUAGE=en"} << true;
        QTest::newRow("LANG=en_GB") << QStringList{"LANG=en_GB.UTF-8"} << true;
        QTest::newRow("English after French") << QStringList{"LANG=fr_FR.UTF-8", "LANGUAGE=fr:en_US:ja"} << true;
        QTest::newRow("Japanese before English") << QStringList{"LANG=en_US.UTF-8", "LANGUAGE=ja:en"} << false;
        QTest::newRow("LC_ALL wins over LANG") << QStringList{"LANG=en_US.UTF-8", "LC_ALL=ja_JP.UTF-8"} << false;
        QTest::newRow("LANG=C.UTF-8") << QStringList{"LANG=C.UTF-8"} << false;
        QTest::newRow("C locale ignores LANGUAGE") << QStringList{"LANG=C", "LANGUAGE=en"} << false;
        QTest::newRow("German") << QStringList{"LANG=de_DE.UTF-8"} << true;
        QTest::newRow("French") << QStringList{"LANG=fr_FR.UTF-8"} << true;
        QTest::newRow("Japanese after German") << QStringList{"LANG=de_DE.UTF-8", "LANGUAGE=de:ja"} << false;
        QTest::newRow("nothing set") << QStringList{} << false;
    }

    void theUsersLanguagesChooseTheWizardsLanguage()
    {
        QFETCH(QStringList, environment);
        QFETCH(bool, english);

        const QMap<QString, QString> shown = describedUnder(environment);
        QCOMPARE(shown.value("title"), english ? QStringLiteral("Start") : QStringLiteral("スタート"));
        QCOMPARE(shown.value("start"), english ? QStringLiteral("Start") : QStringLiteral("はじめる"));
        QCOMPARE(shown.value("cancel"), english ? QStringLiteral("Cancel") : QStringLiteral("キャンセル"));
        const char* picture = english ? "resources/images/en/01_start_up.png" : "resources/images/01_start_up.png";
        QCOMPARE(shown.value("picture"), QString::fromLatin1(hashOf(sourcePath(picture))));
    }

    // Scans the sources afresh, so that a text added without its translation fails.
    void everySourceTextHasAFinishedEnglishTranslation()
    {
        QTemporaryDir scratch;
        const QString scanned = scratch.filePath(QStringLiteral("ravelo_en.ts"));
        QVERIFY(QFile::copy(sourcePath("translations/ravelo_en.ts"), scanned));
        QProcess lupdate;
        lupdate.setWorkingDirectory(QStringLiteral(RAVELO_SOURCE_DIR));
        lupdate.start(QStringLiteral(RAVELO_LUPDATE),
                      {"-silent", "-no-obsolete", "-locations", "none", "app", "usb", "command", "cloud", "screens",
                       "-ts", scanned});
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);

        QFile file(scanned);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QDomDocument document;
        QVERIFY(document.setContent(&file));
        const QDomNodeList messages = document.elementsByTagName(QStringLiteral("message"));
        QVERIFY(messages.size() > 50);
        for (int i = 0; i < messages.size(); ++i) {
            const QDomElement message = messages.at(i).toElement();
            const QString source = message.firstChildElement(QStringLiteral("source")).text();
            const QDomElement translation = message.firstChildElement(QStringLiteral("translation"));
            QVERIFY2(!translation.text().trimmed().isEmpty(), qPrintable(source));
            QVERIFY2(!translation.hasAttribute(QStringLiteral("type")), qPrintable(source));
            QCOMPARE(translation.text().count(QLatin1Char('%')), source.count(QLatin1Char('%')));
        }
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && qstrcmp(argv[1], DescribeOption) == 0)
        return describeTopScreen(argc, argv);
    QApplication app(argc, argv);
    TestLanguage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_language.moc"
