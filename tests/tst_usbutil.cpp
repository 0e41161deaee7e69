// The command sender: request texts, reply bands, the single instance, sending.
#include "EmulatedCamera.h"
#include "EnvelopeCollector.h"
#include "TestMain.h"
#include "command/MethodCatalogue.h"
#include "command/UsbUtil.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTest>
#include <QTimer>

#include <limits>

namespace {
QStringList debugLines;

void captureDebug(QtMsgType, const QMessageLogContext&, const QString& message)
{
    debugLines.append(message);
}

QJsonObject withId(const QJsonValue& id)
{
    return QJsonObject{{QStringLiteral("id"), id}};
}
}

class TestUsbUtil : public QObject
{
    Q_OBJECT

    EmulatedCamera camera;

private slots:
    // The first use starts the USB link and waits for it in an event loop; an event
    // handled meanwhile that uses the sender gets the one being started.
    void initTestCase()
    {
        camera.plug();
        UsbUtil* duringStart = nullptr;
        QTimer::singleShot(0, this, [&] { duringStart = UsbUtil::instance(); });
        UsbUtil* started = UsbUtil::instance();
        QVERIFY(duringStart);
        QCOMPARE(duringStart, started);
        QVERIFY(started->hasCamera());
    }

    void execApListIsSevenLines()
    {
        const QByteArray text = UsbUtil::instance()->execAPList();
        QCOMPARE(text,
                 QByteArrayLiteral("{\n"
                                   "    \"id\": 1,\n"
                                   "    \"jsonrpc\": \"2.0\",\n"
                                   "    \"method\": \"execAPList\",\n"
                                   "    \"params\": [\n"
                                   "    ]\n"
                                   "}\n"));
    }

    void getApListNestsItsPage()
    {
        const QByteArray text = UsbUtil::instance()->getAPList(101, 1);
        QCOMPARE(text,
                 QByteArrayLiteral("{\n"
                                   "    \"id\": 101,\n"
                                   "    \"jsonrpc\": \"2.0\",\n"
                                   "    \"method\": \"getAPList\",\n"
                                   "    \"params\": [\n"
                                   "        {\n"
                                   "            \"param1\": 1\n"
                                   "        }\n"
                                   "    ]\n"
                                   "}\n"));
    }

    void networkSettingSendsInetAsTextAndHidesThePasswordFromTheLog()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ravelo.*.debug=true"));
        debugLines.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureDebug);
        const QByteArray text =
            UsbUtil::instance()->setNetworkSetting(QStringLiteral("Home-5G"), QStringLiteral("s3cret pass"));
        qInstallMessageHandler(previous);

        QCOMPARE(text,
                 QByteArrayLiteral("{\n"
                                   "    \"id\": 10000,\n"
                                   "    \"jsonrpc\": \"2.0\",\n"
                                   "    \"method\": \"setNetworkSetting\",\n"
                                   "    \"params\": [\n"
                                   "        {\n"
                                   "            \"inet\": \"0\",\n"
                                   "            \"password\": \"s3cret pass\",\n"
                                   "            \"ssid\": \"Home-5G\"\n"
                                   "        }\n"
                                   "    ]\n"
                                   "}\n"));
        QCOMPARE(debugLines.size(), 1);
        QVERIFY(!debugLines.first().contains(QStringLiteral("s3cret")));
        QVERIFY(debugLines.first().contains(QStringLiteral("Home-5G")));
        QVERIFY(debugLines.first().contains(QStringLiteral("********")));
    }

    void setTokenPutsDeviceIdFirstAndHidesBothIdsFromTheLog()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("ravelo.*.debug=true"));
        debugLines.clear();
        const QtMessageHandler previous = qInstallMessageHandler(captureDebug);
        const QByteArray text = UsbUtil::instance()->setToken(QStringLiteral("dev-1"), QStringLiteral("serial-2"));
        qInstallMessageHandler(previous);
        QCOMPARE(debugLines.size(), 1);
        QVERIFY(!debugLines.first().contains(QStringLiteral("dev-1")));
        QVERIFY(!debugLines.first().contains(QStringLiteral("serial-2")));
        QVERIFY(text.contains("\"id\": 100000,"));
        QVERIFY(text.indexOf("\"DeviceId\": \"dev-1\"") < text.indexOf("\"SerialId\": \"serial-2\""));
        QVERIFY(text.indexOf("\"DeviceId\"") > 0);
    }

    void buildersShareOneRequestBuffer()
    {
        QByteArray& first = UsbUtil::instance()->execAPList();
        QByteArray& second = UsbUtil::instance()->getAPList(102, 2);
        QCOMPARE(&first, &second);
        QVERIFY(first.contains("getAPList"));
    }

    void repliesAreRecognisedByTheirIdBand_data()
    {
        QTest::addColumn<QJsonValue>("id");
        QTest::addColumn<int>("request");
        QTest::addColumn<bool>("belongs");
        QTest::newRow("1 is the scan start") << QJsonValue(1) << int(UsbUtil::ExecApListId) << true;
        QTest::newRow("100 opens the page band") << QJsonValue(100) << int(UsbUtil::ApListBand) << true;
        QTest::newRow("150 is a page") << QJsonValue(150.7) << int(UsbUtil::ApListBand) << true;
        QTest::newRow("199 closes the page band") << QJsonValue(199) << int(UsbUtil::ApListBand) << true;
        QTest::newRow("200 is not a page") << QJsonValue(200) << int(UsbUtil::ApListBand) << false;
        QTest::newRow("99 is not a page") << QJsonValue(99) << int(UsbUtil::ApListBand) << false;
        QTest::newRow("text id is ignored") << QJsonValue(QStringLiteral("1")) << int(UsbUtil::ExecApListId) << false;
        QTest::newRow("19999 is a setting") << QJsonValue(19999) << int(UsbUtil::NetworkSettingId) << true;
        QTest::newRow("100000 is a token") << QJsonValue(100000) << int(UsbUtil::TokenId) << true;
        QTest::newRow("10000 is not a token") << QJsonValue(10000) << int(UsbUtil::TokenId) << false;
        QTest::newRow("1e300 is in no band") << QJsonValue(1e300) << int(UsbUtil::ExecApListId) << false;
        QTest::newRow("2^32 + 1 is in no band") << QJsonValue(4294967297.0) << int(UsbUtil::ExecApListId) << false;
        QTest::newRow("-1e300 is in no band") << QJsonValue(-1e300) << int(UsbUtil::TokenId) << false;
    }

    // Numbers from the camera become ints only when they fit; anything else is no number.
    void cameraNumbersAreReadOnlyWhenTheyFit_data()
    {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("fits");
        QTest::newRow("integer") << QJsonValue(101) << 101 << true;
        QTest::newRow("fraction is dropped") << QJsonValue(-7.9) << -7 << true;
        QTest::newRow("largest int") << QJsonValue(2147483647.5) << 2147483647 << true;
        QTest::newRow("smallest int") << QJsonValue(-2147483648.5) << int(-2147483647 - 1) << true;
        QTest::newRow("one past the largest") << QJsonValue(2147483648.0) << 0 << false;
        QTest::newRow("one below the smallest") << QJsonValue(-2147483649.0) << 0 << false;
        QTest::newRow("huge") << QJsonValue(1e308) << 0 << false;
        QTest::newRow("infinity") << QJsonValue(std::numeric_limits<double>::infinity()) << 0 << false;
        QTest::newRow("text") << QJsonValue(QStringLiteral("5")) << 0 << false;
        QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << 0 << false;
    }

    void cameraNumbersAreReadOnlyWhenTheyFit()
    {
        QFETCH(QJsonValue, value);
        QFETCH(int, expected);
        QFETCH(bool, fits);
        const std::optional<int> number = UsbUtil::intOf(value);
        QCOMPARE(number.has_value(), fits);
        QCOMPARE(number.value_or(0), expected);
    }

    void repliesAreRecognisedByTheirIdBand()
    {
        QFETCH(QJsonValue, id);
        QFETCH(int, request);
        QFETCH(bool, belongs);
        QCOMPARE(UsbUtil::isInBand(withId(id), request), belongs);
        QVERIFY(!UsbUtil::isInBand(QJsonObject(), request));
    }

    void sendCarriesTheTextToTheCameraAndTheReplyBack()
    {
        EnvelopeCollector collector;
        UsbUtil::instance()->connectCommand(&collector, "1receiveCmd(EL_CMD)");
        const QByteArray request = UsbUtil::instance()->execAPList();
        UsbUtil::instance()->send(request);
        QVERIFY(collector.waitForCommand(CMD_JSON_RPC));
        QCOMPARE(camera.requests().last(), request);
        QCOMPARE(UsbUtil::readReply(collector.envelopes.last()).value(QStringLiteral("id")).toInt(), 1);

        QVERIFY(UsbUtil::instance()->disconnectCommand(&collector, "1receiveCmd(EL_CMD)"));
        QVERIFY(!UsbUtil::instance()->disconnectCommand(&collector, "1receiveCmd(EL_CMD)"));
        // A receiver still connected hears the reply in the same emission.
        EnvelopeCollector stillConnected;
        UsbUtil::instance()->connectCommand(&stillConnected, "1receiveCmd(EL_CMD)");
        UsbUtil::instance()->send(request);
        QVERIFY(stillConnected.waitForCommand(CMD_JSON_RPC));
        QCOMPARE(collector.envelopes.size(), 1);
    }

    void catalogueListsTheCameraMethods()
    {
        using namespace MethodCatalogue;
        QCOMPARE(methods[MethodCount - 1].name, QString());
        QVERIFY(methods[MethodCount - 1].parameterKinds.isEmpty());
        QCOMPARE(commandWords[CommandWordCount - 1].name, QString());
        QCOMPARE(methods[15].name, QStringLiteral("execAPList"));
        QVERIFY(methods[15].parameterKinds.isEmpty());
        QCOMPARE(methods[16].name, QStringLiteral("getAPList"));
        QCOMPARE(methods[16].parameterKinds, QVector<int>{17});
        QCOMPARE(methods[34].name, QStringLiteral("setToken"));
        QCOMPARE(methods[34].parameterKinds, QVector<int>{16});
        QCOMPARE(methods[6].name, QStringLiteral("setNetworkSetting"));
        QCOMPARE(methods[6].parameterKinds, QVector<int>{5});
        QCOMPARE(methods[7].name, QStringLiteral("getNetworkSettings"));
        QCOMPARE(methods[54].name, QStringLiteral("CmdCheck"));
        QCOMPARE(commandWords[9].name, QStringLiteral("Byebye"));
        QCOMPARE(commandWords[10].name, QStringLiteral("FactorySetting"));
    }
};

RAVELO_TEST_MAIN(TestUsbUtil)
#include "tst_usbutil.moc"
