#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// A CONNECT proxy on loopback, as schools and companies have: every tunnel it opens
// leads to the local cloud service, whatever host was asked for. With credentials set,
// it asks for them (407, Basic) until a request carries them, and closes the connection
// after each refusal, saying so or not.
class FakeProxy : public QTcpServer
{
    Q_OBJECT

public:
    explicit FakeProxy(quint16 servicePort, QObject* parent = nullptr);

    void requireCredentials(const QByteArray& user, const QByteArray& password, bool sayItCloses = true);
    // The "host:port" of every CONNECT it let through, and the number it refused.
    QStringList tunnels() const;
    int refusals() const;

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    void readConnect(QTcpSocket* client);
    void openTunnel(QTcpSocket* client, const QByteArray& target);

    quint16 m_servicePort;
    QByteArray m_expectedAuthorization;
    QStringList m_tunnels;
    int m_refusals = 0;
    bool m_sayItCloses = true;
};
