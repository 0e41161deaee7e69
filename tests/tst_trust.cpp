// Which authorities the service connections trust: the system's roots, plus those
// RAVELO_EXTRA_CA_CERTS names, and nothing else. The system roots are made up here,
// without touching the machine: the test runs itself again in a private mount
// namespace with a folder of its own bound over /etc/ssl/certs.
#include "FakeCloudService.h"
#include "ModalBoxes.h"
#include "Screens.h"
#include "TestMain.h"
#include "screens/LoginWindow.h"
#include "cloud/ServiceHosts.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
const char* const InsideVariable = "RAVELO_TRUST_INSIDE";
const char* const InsideMarker = "inside a private mount namespace";

// A folder that holds the test's "system" root, as a PEM file and under its hash.
bool makeSystemRoots(const QString& folder)
{
    const QString authority = FakeCloudService::testCertificateFile(QStringLiteral("system-ca.pem"));
    QProcess hash;
    hash.start(QStringLiteral("openssl"), {"x509", "-hash", "-noout", "-in", authority});
    if (!hash.waitForFinished() || hash.exitCode() != 0)
        return false;
    const QString hashed = QString::fromLatin1(hash.readAllStandardOutput().trimmed()) + QStringLiteral(".0");
    return QFile::copy(authority, folder + QStringLiteral("/ravelo-system-ca.pem"))
        && QFile::copy(authority, folder + QLatin1Char('/') + hashed);
}
}

class TestTrust : public QObject
{
    Q_OBJECT

    // True when the sign-in's two requests reached the service; false when the
    // connection was refused (the box with status 0).
    bool signInReaches(FakeCloudService& service)
    {
        qputenv("RAVELO_ACCOUNT_HOST", service.accountHost().toUtf8());
        auto* login = new LoginWindow;
        login->show();
        Screens::type(login, "lineEdit", QStringLiteral("hanako@example.jp"));
        Screens::type(login, "lineEdit_2", QStringLiteral("pass-word1"));
        ModalBoxes boxes;
        QTest::mouseClick(login->findChild<QPushButton*>(QStringLiteral("button_next")), Qt::LeftButton);
        const bool answered =
            QTest::qWaitFor([&] { return service.requests().size() == 2 || !boxes.seen().isEmpty(); }, 10000);
        const bool reached = answered && service.requests().size() == 2;
        if (!reached)
            qInfo() << "refused:" << boxes.last().text;
        Screens::closeAll();
        Screens::destroyAll();
        return reached;
    }

    void checkInside()
    {
        qInfo() << InsideMarker;
        qputenv("RAVELO_EXTRA_CA_CERTS", FakeCloudService::certificateAuthorityFile().toUtf8());
        ServiceHosts::installExtraCaCertificates();
        FakeCloudService system;
        FakeCloudService extra;
        FakeCloudService unknown;
        QVERIFY(system.startSignedBy(QStringLiteral("system-")));
        QVERIFY(extra.start(true));
        QVERIFY(unknown.startSignedBy(QStringLiteral("other-")));
        QVERIFY2(signInReaches(system), "a service signed by a system root is trusted");
        QVERIFY2(signInReaches(extra), "a service signed by the extra authority is trusted");
        QVERIFY2(!signInReaches(unknown), "a service signed by any other authority is refused");
        QVERIFY(unknown.requests().isEmpty());
    }

private slots:
    void extraAuthoritiesAreAddedToTheSystemRoots()
    {
        if (qEnvironmentVariableIsSet(InsideVariable)) {
            checkInside();
            return;
        }
        QTemporaryDir roots;
        QVERIFY(makeSystemRoots(roots.path()));
        QProcess inside;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(InsideVariable), QStringLiteral("1"));
        inside.setProcessEnvironment(environment);
        inside.setProcessChannelMode(QProcess::MergedChannels);
        inside.start(QStringLiteral("unshare"),
                     {"--mount", "--propagation", "private", "sh", "-c",
                      "mount --bind \"$0\" /etc/ssl/certs && exec \"$1\" extraAuthoritiesAreAddedToTheSystemRoots",
                      roots.path(), QCoreApplication::applicationFilePath()});
        QVERIFY(inside.waitForFinished(60000));
        const QByteArray output = inside.readAll();
        if (!output.contains(InsideMarker))
            RAVELO_SKIP(qPrintable("no private mount namespace here, so no made-up system roots: " + output.trimmed()));
        if (inside.exitCode() != 0)
            qInfo().noquote() << output;
        QCOMPARE(inside.exitCode(), 0);
    }
};

RAVELO_TEST_MAIN(TestTrust)
#include "tst_trust.moc"
