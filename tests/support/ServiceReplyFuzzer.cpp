#include "ServiceReplyFuzzer.h"

#include "CloudFixture.h"
#include "EmulatedCamera.h"
#include "LoopGaps.h"
#include "Memory.h"
#include "ModalBoxes.h"
#include "Screens.h"
#include "screens/MyApplication.h"
#include "screens/CameraNameWindow.h"
#include "screens/LoginWindow.h"
#include "screens/RegistUserWindow.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {
constexpr int DeadlineMs = 800;
// An exchange still open this long after its 800 ms deadline has hung; one that ends
// between three deadlines and this was only slowed down by the machine.
constexpr int HangMs = 30000;
constexpr int SettleMs = 30;
constexpr int OverCap = 1024 * 1024 + 1;
// What one exchange may add to the process, however hostile the reply.
constexpr qint64 MaxGrowthBytes = 64 * 1024 * 1024;

struct Target {
    const char* screen;
    const char* path;
    bool applicationHost;
    QStringList required;
    const char* next;
};

const QList<Target>& targets()
{
    static const QList<Target> all = {
        {"LoginWindow", "/account/authorize", false, {"uuid", "authToken"}, "WifiListWindow"},
        {"LoginWindow", "/accessToken", false, {"uuid", "accessToken"}, "WifiListWindow"},
        {"CameraNameWindow", "/devices", false, {"deviceId"}, "CompleteWindow"},
        {"CameraNameWindow", "/devices", true, {"deviceId"}, "CompleteWindow"},
        {"RegistUserWindow", "/account/register", false, {}, "LoginWindow"},
    };
    return all;
}

// Visible ASCII without space, '"', ',', ';', '=' and '\\'.
bool isUsableText(const QJsonValue& value)
{
    static const QRegularExpression headerParameter(QStringLiteral("^[!#-+\\x2d-:<>-\\x5b\\x5d-~]+$"));
    return value.isString() && headerParameter.match(value.toString()).hasMatch();
}

QJsonValue abusiveValue(QRandomGenerator& rng)
{
    switch (rng.bounded(7)) {
    case 0:
        return QString();
    case 1:
        return 12345;
    case 2:
        return QJsonArray{"x"};
    case 3:
        return QJsonValue(QJsonValue::Null);
    case 4:
        return QStringLiteral("t\r\nX-Evil: 1");
    case 5:
        return QString(QChar(rng.bounded(2) ? 0x0000 : 0x0085)) + QStringLiteral("id");
    default:
        return QStringLiteral("<b>ok</b> \u202e");
    }
}

QByteArray bodyFor(const Target& target, QRandomGenerator& rng, QJsonObject& parsed)
{
    for (const QString& key : target.required)
        parsed.insert(key, QStringLiteral("%1-%2").arg(key).arg(rng.bounded(1000)));
    if (QLatin1String(target.path) == QLatin1String("/account/register"))
        parsed.insert("Message", rng.bounded(2) ? "Success" : "<i>Duplicate</i>");
    if (!target.required.isEmpty() && rng.bounded(3) != 0) {
        const QString key = target.required.at(int(rng.bounded(target.required.size())));
        if (rng.bounded(4) == 0)
            parsed.remove(key);
        else
            parsed.insert(key, abusiveValue(rng));
    }
    const QByteArray text = QJsonDocument(parsed).toJson(QJsonDocument::Compact);
    switch (rng.bounded(12)) {
    case 0:
        parsed = QJsonObject();
        return text.left(int(rng.bounded(text.size())));
    case 1:
        parsed = QJsonObject();
        return "[" + text + "]";
    case 2:
        parsed = QJsonObject();
        return QByteArray(1100, '[') + QByteArray(1100, ']');
    case 3:
        parsed = QJsonObject();
        return QByteArray("\xff\xfe<html>\x01</html>");
    case 4:
        parsed = QJsonObject();
        return text.left(text.size() - 1) + ",\"pad\":\"" + QByteArray(OverCap, 'p') + "\"}";
    default:
        return text;
    }
}
}

namespace {
// Client and service share this thread: the wait must keep the loop running rather
// than sleep between looks, or every round trip of a handshake costs a sleep.
template <typename Predicate>
bool waitUntil(Predicate done, int timeoutMs)
{
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    look.start(1);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

QString describe(const ServiceReplyFuzzer::Input& input)
{
    return QStringLiteral("%1 %2 %3, status %4, %5 bytes: %6")
        .arg(input.screen, QString::fromLatin1(input.path), input.host)
        .arg(input.outcome.status)
        .arg(input.outcome.body.size())
        .arg(QString::fromLatin1(input.outcome.body.left(80).toPercentEncoding("{}\":,[] ")));
}
}

ServiceReplyFuzzer::ServiceReplyFuzzer(CloudFixture& cloud, EmulatedCamera& camera, QTextStream& report)
    : m_cloud(cloud)
    , m_camera(camera)
    , m_report(report)
{
}

ServiceReplyFuzzer::Input ServiceReplyFuzzer::generate(quint64 inputSeed)
{
    static const int statuses[] = {200, 200, 200, 201, 202, 299, 301, 400, 401, 404, 500, 503, 999};
    static const QByteArray reasons[] = {"OK", "<b>Fine</b>", QByteArray(300, 'r'), "Bad\x7f",
                                         QByteArray(1024 * 1024, 'r')};
    QRandomGenerator rng(static_cast<quint32>(inputSeed ^ (inputSeed >> 32)));
    const Target& target = targets().at(int(rng.bounded(targets().size())));
    Input input;
    input.screen = QLatin1String(target.screen);
    input.path = target.path;
    input.host = target.applicationHost ? FakeCloudService::applicationHostName() : FakeCloudService::accountHostName();
    QJsonObject parsed;
    input.outcome.body = bodyFor(target, rng, parsed);
    input.outcome.status = statuses[rng.bounded(int(sizeof statuses / sizeof statuses[0]))];
    input.outcome.reason = reasons[rng.bounded(rng.bounded(10) == 0 ? 5 : 4)];
    const int twist = int(rng.bounded(40));
    const bool garbled = twist == 3 || twist == 4;
    using B = FakeCloudService::Behaviour;
    // Trickle sends even the status line a byte a second.
    static const B headerPhase[] = {B::HeaderBomb, B::HeaderFlood, B::SlowHeaders,
                                    B::Trickle,    B::ChunkBomb,   B::CookieFlood};
    if (twist == 0)
        input.outcome.behaviour = B::CutOff;
    else if (twist == 1)
        input.outcome.behaviour = B::Silent;
    else if (twist >= 5 && twist < 11)
        input.outcome.behaviour = headerPhase[twist - 5];
    else if (twist == 11)
        input.stallHandshake = true;
    else if (twist < 5) {
        input.outcome.extraHeaders = "Content-Encoding: deflate\r\n";
        if (twist == 2)
            input.outcome.body = qCompress(input.outcome.body).mid(4);
        else
            parsed = QJsonObject();
    }
    const bool answered = input.outcome.behaviour == B::Reply
        || (input.outcome.behaviour == B::CookieFlood && !FakeCloudService::CookieFloodOutlastsDeadlines);
    const bool success = input.outcome.status / 100 == 2 && answered && !input.stallHandshake
        && input.outcome.body.size() < OverCap && !garbled;
    const bool complete = std::all_of(target.required.cbegin(), target.required.cend(),
                                      [&](const QString& key) { return isUsableText(parsed.value(key)); });
    input.leadsOn = success && (target.required.isEmpty() || (complete && !parsed.isEmpty()));
    input.eitherWay = garbled && target.required.isEmpty();
    return input;
}

QMainWindow* ServiceReplyFuzzer::open(const QString& screen)
{
    WebClientWindow* window = nullptr;
    if (screen == QLatin1String("LoginWindow")) {
        window = new LoginWindow;
        Screens::type(window, "lineEdit", QStringLiteral("hanako@example.jp"));
        Screens::type(window, "lineEdit_2", QStringLiteral("pass-word1"));
    } else if (screen == QLatin1String("RegistUserWindow")) {
        window = new RegistUserWindow;
        Screens::type(window, "lineEdit", QStringLiteral("花子"));
        Screens::type(window, "lineEdit_2", QStringLiteral("hanako@example.jp"));
        Screens::type(window, "lineEdit_3", QStringLiteral("pass-word1"));
        window->findChild<QCheckBox*>()->setChecked(true);
    } else {
        window = new CameraNameWindow;
        Screens::type(window, "lineEdit_2", QStringLiteral("Living room"));
    }
    window->setReplyDeadline(DeadlineMs);
    window->show();
    return window;
}

ServiceReplyFuzzer::Figures ServiceReplyFuzzer::run(quint64 seed, int count)
{
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < count; ++n) {
        check(seed + quint64(n));
        ++m_figures.inputs;
    }
    m_figures.seconds = clock.nsecsElapsed() / 1e9;
    return m_figures;
}

void ServiceReplyFuzzer::check(quint64 inputSeed)
{
    const Input input = generate(inputSeed);
    m_cloud.service.resetOutcomes();
    m_cloud.service.clearRequests();
    m_cloud.service.setOutcome(input.path, input.outcome, input.host);
    m_cloud.service.setStallHandshakes(input.stallHandshake);
    m_camera.clearRecords();
    MyApplication::current()->setUuid(QStringLiteral("user-0001"));
    MyApplication::current()->setAccessToken(QStringLiteral("token-0001"));

    const QString next = QLatin1String(std::find_if(targets().cbegin(), targets().cend(), [&](const Target& t) {
                                           return input.screen == QLatin1String(t.screen);
                                       })->next);
    QMainWindow* screen = open(input.screen);
    ModalBoxes boxes;
    const qint64 residentBefore = Memory::resident();
    Memory::resetPeak();
    auto nextShown = [&] {
        const QList<QWidget*> visible = Screens::visibleWindows();
        return std::any_of(visible.cbegin(), visible.cend(),
                           [&](QWidget* w) { return QLatin1String(w->metaObject()->className()) == next; });
    };
    QElapsedTimer clock;
    clock.start();
    const LoopGaps gaps;
    QTest::mouseClick(screen->findChild<QPushButton*>(QStringLiteral("button_next")), Qt::LeftButton);
    // A box ends the exchange; the registration screen hands over once its box closes.
    const bool ended = waitUntil([&] { return nextShown() || (!boxes.seen().isEmpty() && !input.leadsOn); }, HangMs);
    if (ended && clock.elapsed() > DeadlineMs * 3) {
        ++m_figures.slow;
        m_report << "slow: seed " << inputSeed << ", " << clock.elapsed() << " ms: " << describe(input) << '\n';
    }
    m_figures.longestStallMs = std::max(m_figures.longestStallMs, gaps.longestMs());
    waitUntil([] { return false; }, SettleMs);
    m_figures.peakGrowthBytes = std::max(m_figures.peakGrowthBytes, Memory::peak() - residentBefore);
    if (Memory::isMeaningful() && Memory::peak() - residentBefore > MaxGrowthBytes)
        anomaly(inputSeed,
                QStringLiteral("memory grew by %1 MiB: ").arg((Memory::peak() - residentBefore) >> 20)
                    + describe(input));
    if (!ended) {
        ++m_figures.hangs;
        m_report << "hang: seed " << inputSeed << ": " << describe(input) << '\n';
    }
    const int expectedBoxes = input.screen == QLatin1String("RegistUserWindow") || !input.leadsOn ? 1 : 0;
    if (ended && boxes.seen().size() != expectedBoxes)
        anomaly(inputSeed, QStringLiteral("%1 boxes where %2 were due").arg(boxes.seen().size()).arg(expectedBoxes));
    if (ended && !input.eitherWay && nextShown() != input.leadsOn)
        anomaly(inputSeed,
                (input.leadsOn ? QStringLiteral("a usable reply did not lead on: ")
                               : QStringLiteral("an unusable reply led on: "))
                    + describe(input));
    for (const RecordedRequest& request : m_cloud.service.requests()) {
        if (!request.header("X-Evil").isEmpty())
            anomaly(inputSeed, QStringLiteral("service text reached a request header"));
    }
    const MyApplication* app = MyApplication::current();
    if (!isUsableText(app->uuid()) || !isUsableText(app->accessToken()))
        anomaly(inputSeed, QStringLiteral("an unusable identity was stored"));
    Screens::closeAll();
    Screens::destroyAll();
}

void ServiceReplyFuzzer::anomaly(quint64 inputSeed, const QString& what)
{
    ++m_figures.anomalies;
    m_report << "anomaly: seed " << inputSeed << ": " << what << '\n';
    m_report.flush();
}
