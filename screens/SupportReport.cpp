#include "SupportReport.h"

#include "MyApplication.h"
#include "command/UsbUtil.h"

#include <QMetaEnum>
#include <QNetworkReply>
#include <QUrl>
#include <QWidget>

namespace {
// Enough for a whole set-up with retries; older entries make way.
constexpr int MaxTimelineEntries = 100;

// Only the paths the wizard itself asks for are named.
QString serviceStep(const QUrl& url)
{
    static const QStringList known = {QStringLiteral("/account/authorize"), QStringLiteral("/accessToken"),
                                      QStringLiteral("/account/register"), QStringLiteral("/devices")};
    const QString path = url.path();
    return known.contains(path) ? path : QStringLiteral("another path");
}

QString serviceOutcome(int statusCode, int networkError)
{
    if (statusCode > 0)
        return QStringLiteral("HTTP %1").arg(statusCode);
    const char* name = QMetaEnum::fromType<QNetworkReply::NetworkError>().valueToKey(networkError);
    return QStringLiteral("network error %1 (%2)").arg(networkError).arg(QLatin1String(name ? name : "unknown"));
}

QString bandOf(int frequencyMhz)
{
    if (frequencyMhz <= 0)
        return QStringLiteral("band not known");
    return frequencyMhz < 3000 ? QStringLiteral("2.4 GHz")
        : frequencyMhz < 5925  ? QStringLiteral("5 GHz")
                               : QStringLiteral("6 GHz");
}
}

SupportReport::SupportReport()
{
    m_clock.start();
}

SupportReport* SupportReport::ofThisRun()
{
    MyApplication* application = MyApplication::current();
    return application ? &application->supportReport() : nullptr;
}

void SupportReport::add(const QString& entry)
{
    m_timeline.append(QStringLiteral("%1 s  %2").arg(m_clock.elapsed() / 1000.0, 7, 'f', 1).arg(entry));
    if (m_timeline.size() > MaxTimelineEntries)
        m_timeline.removeFirst();
}

void SupportReport::fail(const QString& failure)
{
    m_lastFailure = failure;
    add(failure);
}

void SupportReport::noteScreen(const QWidget* screen)
{
    if (SupportReport* report = ofThisRun()) {
        report->m_step = QLatin1String(screen->metaObject()->className());
        report->add(QStringLiteral("screen %1").arg(report->m_step));
    }
}

void SupportReport::noteServiceAnswer(const QUrl& url, int statusCode, int networkError)
{
    SupportReport* report = ofThisRun();
    if (!report)
        return;
    const QString answer =
        QStringLiteral("service %1: %2").arg(serviceStep(url), serviceOutcome(statusCode, networkError));
    statusCode / 100 == 2 ? report->add(answer) : report->fail(answer);
}

void SupportReport::noteCamera(Camera event, int code)
{
    SupportReport* report = ofThisRun();
    if (!report)
        return;
    switch (event) {
    case Camera::Opened:
        report->m_camera = QStringLiteral("opened");
        report->add(QStringLiteral("camera opened"));
        break;
    case Camera::Gone:
        report->m_camera = QStringLiteral("gone");
        report->fail(QStringLiteral("camera gone"));
        break;
    case Camera::OpenFailed:
        report->m_camera = QStringLiteral("cannot be opened (errno %1)").arg(code);
        report->fail(QStringLiteral("camera cannot be opened (errno %1)").arg(code));
        break;
    case Camera::Unusable:
        report->m_lastCameraFailure = QStringLiteral("no usable answer (request %1)").arg(code);
        report->fail(QStringLiteral("camera: ") + report->m_lastCameraFailure);
        break;
    case Camera::Refused:
        report->m_lastCameraFailure = QStringLiteral("camera error (code %1)").arg(code);
        report->fail(report->m_lastCameraFailure);
        break;
    }
}

void SupportReport::notePcNetwork(int frequencyMhz)
{
    if (SupportReport* report = ofThisRun())
        report->m_pcNetwork = QStringLiteral("on Wi-Fi, ") + bandOf(frequencyMhz);
}

QString SupportReport::text()
{
    const SupportReport* report = ofThisRun();
    if (!report)
        return QString();
    QStringList lines = {
        QStringLiteral("%1 %2, Qt %3 (%4)")
            .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion(), QLatin1String(qVersion()),
                 QGuiApplication::platformName()),
        QStringLiteral("Step: ") + report->m_step,
        QStringLiteral("Failure: ") + report->m_lastFailure,
        QStringLiteral("Camera: %1, %2; last failure: %3")
            .arg(UsbUtil::instance()->hasCamera() ? QStringLiteral("plugged in") : QStringLiteral("not found"),
                 report->m_camera, report->m_lastCameraFailure),
        QStringLiteral("PC network: ") + report->m_pcNetwork,
        QStringLiteral("Time line:"),
    };
    for (const QString& entry : report->m_timeline)
        lines.append(QStringLiteral("  ") + entry);
    return lines.join(QLatin1Char('\n'));
}
