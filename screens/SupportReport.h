#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

class QUrl;
class QWidget;

// What support needs to know about this run, noted where it happens: the screens
// shown, the service's answers, the camera's state and the PC's network. Each entry is
// made of what the wizard names itself (screens, fixed service paths), numbers and
// times, so that no password, token, e-mail address, uuid, device or serial id or
// Wi-Fi name can enter it. It stays in memory; the user copies it from a failure box.
class SupportReport
{
public:
    enum class Camera { Opened, Gone, OpenFailed, Unusable, Refused };

    SupportReport();

    static void noteScreen(const QWidget* screen);
    // An answer from the service: its status, or the network error when it has none.
    static void noteServiceAnswer(const QUrl& url, int statusCode, int networkError);
    // code: the errno of a failed open, the request band of an unusable answer, or the
    // camera's own error code.
    static void noteCamera(Camera event, int code = 0);
    static void notePcNetwork(int frequencyMhz);
    // The report as it stands: versions, the step, the last failure, the camera and the
    // PC's network, then the time line.
    static QString text();

private:
    static SupportReport* ofThisRun();
    void add(const QString& entry);
    void fail(const QString& failure);

    QElapsedTimer m_clock;
    QStringList m_timeline;
    QString m_step = QStringLiteral("none");
    QString m_lastFailure = QStringLiteral("none");
    QString m_camera = QStringLiteral("no event yet");
    QString m_lastCameraFailure = QStringLiteral("none");
    QString m_pcNetwork = QStringLiteral("not on Wi-Fi, or not known");
};
