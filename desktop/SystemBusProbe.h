#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QTimer>

// Asks the system bus, without blocking, whether it takes a connection. A bus may
// accept the socket and never speak, or authenticate and never answer the Hello that
// every connection starts with; the bus library would wait 25 s for either, on the one
// thread that all of the program's bus connections share, the accessibility bridge's
// included. The probe goes through the same handshake on the event loop and gives up
// after a bounded time. It deletes itself once it has said which.
class SystemBusProbe : public QObject
{
    Q_OBJECT

public:
    // The socket file that the system bus address names; empty when it names none.
    static QString socketFile();

    explicit SystemBusProbe(QObject* parent = nullptr);

    void start(const QString& socketFile, int patienceMs);

signals:
    // The bus answered the Hello, or offers another way in than this user's uid.
    void ready();
    // No answer in time, a refused socket or an answer that is not the bus protocol.
    void unusable();

private:
    void readAnswer();
    void authenticated();
    void end(bool usable);

    QLocalSocket m_socket;
    QTimer m_patience;
    QByteArray m_line;
    bool m_saidHello = false;
    bool m_ended = false;
};
