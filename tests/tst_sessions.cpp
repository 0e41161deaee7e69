// The two-step exchanges on their own, over real TLS against the local service: which
// request follows which reply, what reaches the caller, and where a chain stops.
#include "CloudFixture.h"
#include "cloud/DeviceRegistration.h"
#include "cloud/ServiceClient.h"
#include "cloud/SignInSession.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QTest>

namespace {
// The screens' own service client, guard included, handing every success to the
// exchange under test.
class Client : public ServiceClient
{
public:
    template <typename Exchange>
    void deliverSuccessesTo(Exchange& exchange)
    {
        QObject::connect(this, &ServiceClient::succeeded, &exchange,
                         [&exchange](ServiceReply* reply) { exchange.takeSuccess(reply); });
    }

    // One more exchange, start to end: whatever an earlier reply set going has been
    // sent by then, and a repeated outcome has been emitted.
    bool roundTrip(const QString& host)
    {
        QSignalSpy replies(this, &ServiceClient::succeeded);
        poster()(QUrl(QStringLiteral("https://%1/accessToken").arg(host)), {}, {}, {});
        return replies.wait(10000);
    }
};

QJsonObject bodyOf(const RecordedRequest& request)
{
    return QJsonDocument::fromJson(request.body).object();
}
}

class TestSessions : public QObject
{
    Q_OBJECT

    CloudFixture cloud;

private slots:
    void cleanup()
    {
        cloud.service.resetOutcomes();
        cloud.service.clearRequests();
    }

    void signInTradesTheCredentialsForAnAccessTokenInTwoSteps()
    {
        Client client;
        SignInSession session(client.poster());
        client.deliverSuccessesTo(session);
        QSignalSpy signedIn(&session, &SignInSession::signedIn);
        session.start(QStringLiteral("hanako@example.jp"), QStringLiteral("pass-word1"));
        QVERIFY(signedIn.wait(10000));
        QCOMPARE(signedIn.first(), (QVariantList{"user-0001", "token-0001"}));
        const QList<RecordedRequest> requests = cloud.service.requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).path, QByteArray("/account/authorize"));
        QCOMPARE(bodyOf(requests.at(0)), (QJsonObject{{"email", "hanako@example.jp"}, {"password", "pass-word1"}}));
        QCOMPARE(requests.at(1).path, QByteArray("/accessToken"));
        QCOMPARE(bodyOf(requests.at(1)), (QJsonObject{{"uuid", "user-0001"}, {"authToken", "auth-0001"}}));
    }

    void aStepWithoutWhatTheNextNeedsEndsTheChain_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("requestsSent");

        QTest::newRow("sign-in, no auth token")
            << QByteArray("/account/authorize") << QByteArray(R"({"uuid":"user-0001"})") << 1;
        QTest::newRow("sign-in, token with a line feed")
            << QByteArray("/accessToken") << QByteArray(R"({"uuid":"u","accessToken":"a\nX-Evil: 1"})") << 2;
        QTest::newRow("sign-in, uuid with a second parameter")
            << QByteArray("/accessToken") << QByteArray(R"({"uuid":"u-1 token=evil","accessToken":"t-1"})") << 2;
        QTest::newRow("sign-in, line separator in the token")
            << QByteArray("/accessToken") << QByteArray(R"({"uuid":"u-1","accessToken":"t\u2028-1"})") << 2;
        QTest::newRow("sign-in, quote in the auth token")
            << QByteArray("/account/authorize") << QByteArray("{\"uuid\":\"u-1\",\"authToken\":\"a\\\"1\"}") << 1;
        QTest::newRow("registration, no device id") << QByteArray("/devices") << QByteArray(R"({"id":"d"})") << 1;
        QTest::newRow("registration, device id with a comma")
            << QByteArray("/devices") << QByteArray(R"({"deviceId":"d-1,x"})") << 1;
    }

    void aStepWithoutWhatTheNextNeedsEndsTheChain()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, body);
        QFETCH(int, requestsSent);

        cloud.service.setReply(path, 200, body);
        Client client;
        SignInSession signIn(client.poster());
        DeviceRegistration registration(client.poster());
        client.deliverSuccessesTo(signIn);
        client.deliverSuccessesTo(registration);
        QSignalSpy signInFailed(&signIn, &SignInSession::stepFailed);
        QSignalSpy registrationFailed(&registration, &DeviceRegistration::stepFailed);
        QSignalSpy succeeded(&signIn, &SignInSession::signedIn);
        QSignalSpy registered(&registration, &DeviceRegistration::registered);
        if (path == "/devices")
            registration.start({"serial-1", "kind", "Living room", "user-0001", "token-0001"});
        else
            signIn.start(QStringLiteral("hanako@example.jp"), QStringLiteral("pass-word1"));

        QVERIFY(QTest::qWaitFor([&] { return signInFailed.size() + registrationFailed.size() > 0; }, 10000));
        QVERIFY(client.roundTrip(cloud.service.accountHost()));
        QCOMPARE(signInFailed.size() + registrationFailed.size(), 1);
        QCOMPARE(cloud.service.requests().size(), requestsSent + 1);
        QVERIFY(succeeded.isEmpty() && registered.isEmpty());
    }

    // Only the reply of the step in flight leads on, and only once.
    void foreignAndRepeatedRepliesAreIgnored()
    {
        Client client;
        SignInSession session(client.poster());
        QSignalSpy signedIn(&session, &SignInSession::signedIn);
        // The first step's reply comes twice.
        client.deliverSuccessesTo(session);
        QObject::connect(&client, &ServiceClient::succeeded, &session, [&](ServiceReply* reply) {
            if (reply->url().path() == QLatin1String("/account/authorize"))
                session.takeSuccess(reply);
        });
        QVERIFY(client.roundTrip(cloud.service.accountHost()));

        session.start(QStringLiteral("hanako@example.jp"), QStringLiteral("pass-word1"));
        QVERIFY(signedIn.wait(10000));
        QVERIFY(client.roundTrip(cloud.service.accountHost()));
        QCOMPARE(signedIn.size(), 1);
        QCOMPARE(cloud.service.requestsTo("/accessToken").size(), 3);
    }

    void registrationFilesTheDeviceUnderTheUserWithItsName()
    {
        Client client;
        DeviceRegistration registration(client.poster());
        client.deliverSuccessesTo(registration);
        QSignalSpy registered(&registration, &DeviceRegistration::registered);
        registration.start({"serial-1", "HW_KLM-3", "Living room", "user-0001", "token-0001"});
        QVERIFY(registered.wait(10000));
        QCOMPARE(registered.first().first().toString(), QStringLiteral("device-0001"));

        const QList<RecordedRequest> requests = cloud.service.requests();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests.at(0).host, FakeCloudService::accountHostName());
        QCOMPARE(requests.at(0).header("User-Agent"), QByteArray("NUVA/1.0"));
        QCOMPARE(bodyOf(requests.at(0)), (QJsonObject{{"serialId", "serial-1"}, {"kind", "HW_KLM-3"}}));
        QCOMPARE(requests.at(1).host, FakeCloudService::applicationHostName());
        QCOMPARE(requests.at(1).header("Authorization"), QByteArray("X-NUVA uuid=user-0001 token=token-0001"));
        QCOMPARE(bodyOf(requests.at(1)),
                 (QJsonObject{{"deviceId", "device-0001"}, {"name", "Living room"}, {"kind", "HW_KLM-3"}}));
    }
};

QTEST_MAIN(TestSessions)
#include "tst_sessions.moc"
