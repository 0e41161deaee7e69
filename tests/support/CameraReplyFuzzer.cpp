#include "CameraReplyFuzzer.h"

#include "screens/CameraNameWindow.h"
#include "screens/PreparationWindow.h"
#include "screens/ScreenWindow.h"
#include "screens/SettingsWiFiWindow.h"
#include "command/WifiScan.h"
#include "screens/WifiListWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/common_interface_defs.h>
#endif

namespace {
constexpr int SlowMs = 1000;
constexpr quint64 RenewEvery = 200;

// A crash ends the process; it still names the input that caused it.
volatile quint64 currentSeed = 0;
volatile bool running = false;

void reportCrashSeed()
{
    if (!running)
        return;
    char line[64];
    const int length =
        std::snprintf(line, sizeof line, "crash: seed %llu\n", static_cast<unsigned long long>(currentSeed));
    if (length > 0 && ::write(STDERR_FILENO, line, static_cast<size_t>(length)) < 0)
        return;
}

void onFatalSignal(int signalNumber)
{
    reportCrashSeed();
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void reportSeedOnCrash()
{
    for (int signalNumber : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL})
        std::signal(signalNumber, onFatalSignal);
#ifdef __SANITIZE_ADDRESS__
    __sanitizer_set_death_callback(reportCrashSeed);
#endif
}

// ---- generating replies -------------------------------------------------------------

QJsonValue weirdValue(QRandomGenerator& rng)
{
    static const double numbers[] = {
        1e308, -1e308, 2147483648.0, -2147483649.0, 4294967396.0, 0.5, -0.0, 1e-320, 199.999, 100000.5, -100000, 1, 0};
    switch (rng.bounded(8)) {
    case 0:
        return numbers[rng.bounded(int(sizeof numbers / sizeof numbers[0]))];
    case 1:
        return QString();
    case 2:
        return QStringLiteral("<h1>x</h1>\r\n\u0000\u202e");
    case 3:
        return QString(int(rng.bounded(1, 3000)), QChar(0x3042));
    case 4:
        return QJsonValue(QJsonValue::Null);
    case 5:
        return rng.bounded(2) == 0;
    case 6: {
        QJsonArray nested;
        for (int depth = int(rng.bounded(200)); depth > 0; --depth)
            nested = QJsonArray{nested};
        return nested;
    }
    default:
        return QJsonObject{{QStringLiteral("code"), QJsonValue(QJsonValue::Null)}};
    }
}

QJsonValue mutated(const QJsonValue& value, QRandomGenerator& rng)
{
    const bool descend = (value.isObject() || value.isArray()) && rng.bounded(4) != 0;
    if (!descend)
        return weirdValue(rng);
    if (value.isArray()) {
        QJsonArray array = value.toArray();
        if (array.isEmpty())
            return QJsonArray{weirdValue(rng)};
        const int at = int(rng.bounded(array.size()));
        array.replace(at, mutated(array.at(at), rng));
        return array;
    }
    QJsonObject object = value.toObject();
    const QStringList keys = object.keys();
    const QString key = keys.isEmpty() || rng.bounded(5) == 0 ? QStringLiteral("ssid%1").arg(rng.bounded(7))
                                                              : keys.at(int(rng.bounded(keys.size())));
    object.insert(key, mutated(object.value(key), rng));
    return object;
}

QJsonObject page(QRandomGenerator& rng)
{
    QJsonObject list;
    for (int i = 0; i < 5; ++i)
        list.insert(QStringLiteral("ssid%1").arg(i), QStringLiteral("Net-%1").arg(rng.bounded(1000)));
    const QJsonObject wifiList{{"List", list}, {"PageIndex", int(rng.bounded(4))}, {"TotalPage", int(rng.bounded(4))}};
    return {{"id", int(100 + rng.bounded(100))},
            {"jsonrpc", "2.0"},
            {"result", QJsonArray{QJsonObject{{"WifiList", wifiList}}}}};
}

QJsonObject baseReply(QRandomGenerator& rng)
{
    static const int ids[] = {1, 10000, 19999, 100000, 150000, 0, 99, 200, 20000, 200000};
    if (rng.bounded(3) == 0)
        return page(rng);
    QJsonObject reply{{"id", ids[rng.bounded(int(sizeof ids / sizeof ids[0]))]}, {"jsonrpc", "2.0"}};
    if (rng.bounded(2) == 0)
        reply.insert("error", QJsonObject{{"code", int(rng.bounded(-40000, 40000))}, {"message", "refused"}});
    else
        reply.insert("result", QJsonArray{QJsonObject()});
    return reply;
}

QByteArray textMutated(QByteArray text, QRandomGenerator& rng)
{
    switch (rng.bounded(8)) {
    case 0:
        return text.left(int(rng.bounded(text.size() + 1)));
    case 1:
        for (int flips = int(rng.bounded(1, 8)); flips > 0 && !text.isEmpty(); --flips)
            text[int(rng.bounded(text.size()))] = char(rng.bounded(256));
        return text;
    case 2:
        return text.insert(int(rng.bounded(text.size() + 1)), QByteArray("\xff\xfe\xc3\x28\x80", 5));
    case 3:
        return text.replace("\"id\":", "\"id\":{\"a\":[1]},\"id\":");
    case 4: {
        // Past the parser's nesting limit, or deep but printable.
        const int depth = int(rng.bounded(2) ? rng.bounded(1025, 1300) : rng.bounded(20, 200));
        return QByteArray(depth, '[') + text + QByteArray(depth, ']');
    }
    case 5:
        return text + text;
    case 6:
        return QByteArray("\xef\xbb\xbf") + text;
    default:
        return text;
    }
}
}

QByteArray CameraReplyFuzzer::generate(quint64 inputSeed)
{
    QRandomGenerator rng(static_cast<quint32>(inputSeed ^ (inputSeed >> 32)));
    QJsonValue reply = baseReply(rng);
    for (int changes = int(rng.bounded(3)); changes > 0; --changes)
        reply = mutated(reply, rng);
    const QByteArray text =
        QJsonDocument(reply.toObject()).toJson(rng.bounded(2) ? QJsonDocument::Compact : QJsonDocument::Indented);
    return rng.bounded(3) == 0 ? textMutated(text, rng) : text;
}

// ---- delivering them ------------------------------------------------------------------

CameraReplyFuzzer::CameraReplyFuzzer(QTextStream& report)
    : m_report(report)
{
    reportSeedOnCrash();
    for (const char* kind : {"PreparationWindow", "WifiListWindow", "SettingsWiFiWindow", "CameraNameWindow"}) {
        m_slots.append({QString::fromLatin1(kind), nullptr});
        renew(m_slots.last());
    }
}

CameraReplyFuzzer::~CameraReplyFuzzer()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget))
            delete widget;
    }
}

QMainWindow* CameraReplyFuzzer::create(const QString& kind)
{
    if (kind == QLatin1String("PreparationWindow"))
        return new PreparationWindow;
    if (kind == QLatin1String("WifiListWindow")) {
        auto* list = new WifiListWindow;
        // Pages follow at once: a fuzz run must not wait out the camera's pauses.
        list->wifiScan().setTimings({60000, 0});
        return list;
    }
    if (kind == QLatin1String("SettingsWiFiWindow"))
        return new SettingsWiFiWindow(QString());
    return new CameraNameWindow;
}

// A screen that has moved on is replaced, together with the screen it opened.
void CameraReplyFuzzer::renew(Slot& slot)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<QMainWindow*>(widget);
        const bool isCurrent =
            std::any_of(m_slots.cbegin(), m_slots.cend(), [&](const Slot& s) { return s.screen == window; });
        if (window && (!isCurrent || window == slot.screen))
            delete window;
    }
    slot.screen = create(slot.kind);
    slot.screen->show();
}

EL_CMD CameraReplyFuzzer::envelopeFor(quint64 inputSeed, const QByteArray& reply)
{
    EL_CMD envelope;
    envelope.insert(QStringLiteral("CMD"), QVariant::fromValue(CMD_JSON_RPC));
    envelope.insert(QStringLiteral("METHOD"), QString());
    envelope.insert(QStringLiteral("RESULT"), reply);
    if (inputSeed % 97 == 0)
        envelope.insert(QStringLiteral("ERROR"), int(inputSeed % 5));
    return envelope;
}

CameraReplyFuzzer::Figures CameraReplyFuzzer::run(quint64 seed, int count)
{
    QElapsedTimer clock;
    clock.start();
    running = true;
    for (int n = 0; n < count; ++n) {
        const quint64 inputSeed = seed + quint64(n);
        currentSeed = inputSeed;
        check(inputSeed, envelopeFor(inputSeed, generate(inputSeed)));
        ++m_figures.inputs;
    }
    running = false;
    m_figures.seconds = clock.nsecsElapsed() / 1e9;
    return m_figures;
}

// Screens are renewed now and then too: a list that kept every page ever sent would
// make each input slower than the last.
void CameraReplyFuzzer::check(quint64 inputSeed, const EL_CMD& envelope)
{
    for (Slot& slot : m_slots) {
        deliverTo(slot, inputSeed, envelope);
        if (qobject_cast<ScreenWindow*>(slot.screen)->hasLeft() || inputSeed % RenewEvery == 0)
            renew(slot);
    }
    QCoreApplication::processEvents();
}

void CameraReplyFuzzer::deliverTo(Slot& slot, quint64 inputSeed, const EL_CMD& envelope)
{
    int boxes = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&boxes] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("fuzz_seen").toBool())
            return;
        box->setProperty("fuzz_seen", true);
        ++boxes;
        if (!box->isEnabled())
            box->setEnabled(true);
        box->button(QMessageBox::Ok)->click();
    });
    closer.start(0);
    const int windowsBefore = QApplication::topLevelWidgets().size();
    QElapsedTimer clock;
    clock.start();
    for (int delivery = 0; delivery < 2; ++delivery) {
        const bool hadLeft = qobject_cast<ScreenWindow*>(slot.screen)->hasLeft();
        const int boxesBefore = boxes;
        QMetaObject::invokeMethod(slot.screen, "receiveCmd", Qt::DirectConnection, Q_ARG(EL_CMD, envelope));
        if (hadLeft && boxes != boxesBefore)
            anomaly(inputSeed, slot.kind + QStringLiteral(" showed a box after it had moved on"));
    }
    // A delivery that never returns stops the run, and CTest's time-out reports it.
    if (clock.elapsed() > SlowMs) {
        ++m_figures.slow;
        m_report << "slow: seed " << inputSeed << " on " << slot.kind << ", " << clock.elapsed() << " ms\n";
    }
    if (boxes > 1)
        anomaly(inputSeed, slot.kind + QStringLiteral(" showed %1 boxes for one reply").arg(boxes));
    if (QApplication::topLevelWidgets().size() > windowsBefore + 1)
        anomaly(inputSeed, slot.kind + QStringLiteral(" opened more than one screen"));
}

void CameraReplyFuzzer::anomaly(quint64 inputSeed, const QString& what)
{
    ++m_figures.anomalies;
    m_report << "anomaly: seed " << inputSeed << ": " << what << '\n';
    m_report.flush();
}
