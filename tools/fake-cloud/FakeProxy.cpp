#include "FakeProxy.h"

#include <QTcpSocket>

namespace {
// A request head larger than this is no CONNECT of a real client.
constexpr int MaxHeadBytes = 16 * 1024;
}

FakeProxy::FakeProxy(quint16 servicePort, QObject* parent)
    : QTcpServer(parent)
    , m_servicePort(servicePort)
{
    listen(QHostAddress::LocalHost);
}

void FakeProxy::requireCredentials(const QByteArray& user, const QByteArray& password, bool sayItCloses)
{
    m_expectedAuthorization = user.isEmpty() ? QByteArray() : "Basic " + (user + ':' + password).toBase64();
    m_sayItCloses = sayItCloses;
}

QStringList FakeProxy::tunnels() const
{
    return m_tunnels;
}

int FakeProxy::refusals() const
{
    return m_refusals;
}

void FakeProxy::incomingConnection(qintptr socketDescriptor)
{
    auto* client = new QTcpSocket(this);
    client->setSocketDescriptor(socketDescriptor);
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QTcpSocket::readyRead, this, [this, client] { readConnect(client); });
}

void FakeProxy::readConnect(QTcpSocket* client)
{
    const QByteArray head = client->peek(MaxHeadBytes);
    const int end = head.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    client->read(end + 4);
    disconnect(client, &QTcpSocket::readyRead, this, nullptr);
    const QList<QByteArray> lines = head.left(end).split('\n');
    const QList<QByteArray> request = lines.value(0).trimmed().split(' ');
    QByteArray authorization;
    for (const QByteArray& line : lines) {
        if (line.toLower().startsWith("proxy-authorization:"))
            authorization = line.mid(line.indexOf(':') + 1).trimmed();
    }
    if (request.value(0) != "CONNECT") {
        client->write("HTTP/1.1 405 Method Not Allowed\r\nConnection: close\r\nContent-Length: 0\r\n\r\n");
        client->disconnectFromHost();
    } else if (authorization != m_expectedAuthorization) {
        ++m_refusals;
        client->write("HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic realm=\"school\"\r\n");
        client->write(m_sayItCloses ? "Connection: close\r\nContent-Length: 0\r\n\r\n" : "Content-Length: 0\r\n\r\n");
        client->disconnectFromHost();
    } else {
        openTunnel(client, request.value(1));
    }
}

void FakeProxy::openTunnel(QTcpSocket* client, const QByteArray& target)
{
    m_tunnels.append(QString::fromLatin1(target));
    auto* service = new QTcpSocket(client);
    connect(service, &QTcpSocket::connected, client,
            [client] { client->write("HTTP/1.1 200 Connection established\r\n\r\n"); });
    connect(service, &QTcpSocket::readyRead, client, [client, service] { client->write(service->readAll()); });
    connect(client, &QTcpSocket::readyRead, service, [client, service] { service->write(client->readAll()); });
    connect(service, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
    connect(client, &QTcpSocket::disconnected, service, &QTcpSocket::disconnectFromHost);
    service->connectToHost(QHostAddress::LocalHost, m_servicePort);
}
