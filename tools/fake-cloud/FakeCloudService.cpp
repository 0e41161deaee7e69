#include "FakeCloudService.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTimer>

#include <memory>

namespace {
QString certificateFile(const QString& name)
{
    return QStringLiteral(RAVELO_TEST_CERT_DIR "/") + name;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QString outcomeKey(const QString& host, const QByteArray& path)
{
    return host + QLatin1Char('|') + QString::fromLatin1(path);
}
}

QByteArray RecordedRequest::header(const QByteArray& name) const
{
    for (const auto& header : headers) {
        if (header.first.compare(name, Qt::CaseInsensitive) == 0)
            return header.second;
    }
    return QByteArray();
}

QList<QByteArray> RecordedRequest::headerNames() const
{
    QList<QByteArray> names;
    for (const auto& header : headers)
        names.append(header.first);
    return names;
}

FakeCloudService::FakeCloudService(QObject* parent)
    : QTcpServer(parent)
{
}

// Takes the connections made to ::1 on the service's port.
class FakeCloudService::Ipv6Loopback : public QTcpServer
{
public:
    explicit Ipv6Loopback(FakeCloudService* service)
        : QTcpServer(service)
        , m_service(service)
    {
    }

protected:
    void incomingConnection(qintptr socketDescriptor) override { m_service->incomingConnection(socketDescriptor); }

private:
    FakeCloudService* m_service;
};

bool FakeCloudService::start(bool trusted, quint16 port)
{
    m_stem = trusted ? QStringLiteral("server") : QStringLiteral("untrusted");
    return listenOnLoopback(port);
}

bool FakeCloudService::startSignedBy(const QString& stem)
{
    m_stem = stem + QStringLiteral("server");
    return listenOnLoopback(0);
}

// Loopback only: a stand-in service must not be reachable from the network. ::1 is
// taken too where the machine has it, since "localhost" may resolve to it first.
bool FakeCloudService::listenOnLoopback(quint16 port)
{
    if (!listen(QHostAddress::LocalHost, port))
        return false;
    auto* ipv6 = new Ipv6Loopback(this);
    if (!ipv6->listen(QHostAddress::LocalHostIPv6, serverPort()))
        delete ipv6;
    return true;
}

void FakeCloudService::setStallHandshakes(bool stall)
{
    m_stallHandshakes = stall;
}

int FakeCloudService::openConnections() const
{
    return findChildren<QSslSocket*>().size();
}

QString FakeCloudService::testCertificateFile(const QString& name)
{
    return certificateFile(name);
}

QString FakeCloudService::accountHostName()
{
    return QStringLiteral("127.0.0.1");
}

QString FakeCloudService::applicationHostName()
{
    return QStringLiteral("localhost");
}

QString FakeCloudService::accountHost() const
{
    return accountHostName() + QLatin1Char(':') + QString::number(serverPort());
}

QString FakeCloudService::applicationHost() const
{
    return applicationHostName() + QLatin1Char(':') + QString::number(serverPort());
}

QString FakeCloudService::certificateAuthorityFile()
{
    return certificateFile(QStringLiteral("ca.pem"));
}

void FakeCloudService::setOutcome(const QByteArray& path, const Outcome& outcome, const QString& host)
{
    m_outcomes.insert(outcomeKey(host, path), outcome);
}

void FakeCloudService::setReply(const QByteArray& path, int status, const QByteArray& body, const QByteArray& reason,
                                const QString& host)
{
    setOutcome(path, Outcome{Behaviour::Reply, status, reason, body, QByteArray()}, host);
}

void FakeCloudService::setBehaviour(const QByteArray& path, Behaviour behaviour, const QString& host)
{
    Outcome outcome = defaultOutcome(RecordedRequest{"POST", path, host, {}, {}});
    outcome.behaviour = behaviour;
    setOutcome(path, outcome, host);
}

void FakeCloudService::resetOutcomes()
{
    m_outcomes.clear();
}

QList<RecordedRequest> FakeCloudService::requests() const
{
    return m_requests;
}

QList<RecordedRequest> FakeCloudService::requestsTo(const QByteArray& path) const
{
    QList<RecordedRequest> matching;
    for (const RecordedRequest& request : m_requests) {
        if (request.path == path)
            matching.append(request);
    }
    return matching;
}

bool FakeCloudService::waitForRequests(int count, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (m_requests.size() < count && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return m_requests.size() >= count;
}

void FakeCloudService::clearRequests()
{
    m_requests.clear();
}

void FakeCloudService::incomingConnection(qintptr socketDescriptor)
{
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(socketDescriptor)) {
        delete socket;
        return;
    }
    socket->setLocalCertificate(QSslCertificate(readAll(certificateFile(m_stem + ".pem"))));
    socket->setPrivateKey(QSslKey(readAll(certificateFile(m_stem + ".key")), QSsl::Rsa));
    connect(socket, &QSslSocket::readyRead, this, [this, socket] { readRequest(socket); });
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this, socket] { m_buffers.remove(socket); });
    if (!m_stallHandshakes)
        socket->startServerEncryption();
}

void FakeCloudService::readRequest(QSslSocket* socket)
{
    QByteArray& buffer = m_buffers[socket];
    buffer.append(socket->readAll());
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    RecordedRequest request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request.headers.append({lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed()});
    }
    const int length = request.header("Content-Length").toInt();
    if (buffer.size() < headerEnd + 4 + length)
        return;
    request.body = buffer.mid(headerEnd + 4, length);
    request.host = QString::fromLatin1(request.header("Host")).section(QLatin1Char(':'), 0, 0);
    if (request.host.startsWith(QLatin1Char('[')))
        request.host = QString::fromLatin1(request.header("Host")).section(QLatin1Char(']'), 0, 0).mid(1);
    buffer.clear();
    m_requests.append(request);
    respond(socket, request);
}

FakeCloudService::Outcome FakeCloudService::defaultOutcome(const RecordedRequest& request)
{
    Outcome outcome;
    if (request.path == "/account/register")
        outcome.body = "{\"Message\":\"Success\"}";
    else if (request.path == "/account/authorize")
        outcome.body = "{\"uuid\":\"user-0001\",\"authToken\":\"auth-0001\"}";
    else if (request.path == "/accessToken")
        outcome.body = "{\"uuid\":\"user-0001\",\"accessToken\":\"token-0001\"}";
    else if (request.path == "/devices")
        outcome.body = "{\"deviceId\":\"device-0001\"}";
    else
        outcome = Outcome{Behaviour::Reply, 404, "Not Found", QByteArray(), QByteArray()};
    return outcome;
}

FakeCloudService::Outcome FakeCloudService::outcomeFor(const RecordedRequest& request) const
{
    const QString forHost = outcomeKey(request.host, request.path);
    if (m_outcomes.contains(forHost))
        return m_outcomes.value(forHost);
    const QString forAny = outcomeKey(QString(), request.path);
    if (m_outcomes.contains(forAny))
        return m_outcomes.value(forAny);
    return defaultOutcome(request);
}

void FakeCloudService::respond(QSslSocket* socket, const RecordedRequest& request)
{
    const Outcome outcome = outcomeFor(request);
    QByteArray head;
    QByteArray body = outcome.body;
    switch (outcome.behaviour) {
    case Behaviour::Silent:
        return;
    case Behaviour::HeaderBomb:
    case Behaviour::HeaderFlood:
    case Behaviour::ChunkBomb:
        flood(socket, outcome.behaviour);
        return;
    case Behaviour::SlowHeaders:
        drip(socket);
        return;
    case Behaviour::Redirect:
        head = "HTTP/1.1 302 Found\r\nLocation: https://" + request.header("Host") + "/moved\r\n";
        body.clear();
        break;
    case Behaviour::CutOff:
        head = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
            + QByteArray::number(body.size() + 100) + "\r\n\r\n";
        socket->write(head + body);
        socket->flush();
        socket->disconnectFromHost();
        return;
    case Behaviour::Reply:
    case Behaviour::Trickle:
    case Behaviour::Late:
    case Behaviour::CookieFlood:
        head = "HTTP/1.1 " + QByteArray::number(outcome.status) + ' ' + outcome.reason
            + "\r\n"
              "Content-Type: application/json\r\n"
            + outcome.extraHeaders;
        break;
    }
    if (outcome.behaviour == Behaviour::CookieFlood)
        for (int n = 0; n < CookieFloodLines; ++n)
            head += "Set-Cookie: c" + QByteArray::number(n) + '=' + QByteArray(1000, 'v') + "; Path=/\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n";
    if (outcome.behaviour == Behaviour::Trickle) {
        trickle(socket, head + body);
        return;
    }
    if (outcome.behaviour == Behaviour::Late) {
        QTimer::singleShot(LateReplyMs, socket, [socket, reply = head + body] {
            socket->write(reply);
            socket->disconnectFromHost();
        });
        return;
    }
    socket->write(head + body);
    socket->disconnectFromHost();
}

void FakeCloudService::trickle(QSslSocket* socket, const QByteArray& bytes)
{
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, socket, [socket, timer, bytes, sent] {
        if (*sent >= bytes.size()) {
            timer->stop();
            socket->disconnectFromHost();
            return;
        }
        socket->write(bytes.mid((*sent)++, 1));
    });
    timer->start(1000);
}

namespace {
// Enough to exhaust a client without limits, and still an end to every flood.
constexpr qint64 FloodLimitBytes = qint64(4) * 1024 * 1024 * 1024;
constexpr qint64 FloodChunkBytes = 64 * 1024;
constexpr int DripLimitLines = 600;
}

// Writes only as fast as the client reads, so the service itself stays small.
void FakeCloudService::flood(QSslSocket* socket, Behaviour behaviour)
{
    QByteArray chunk;
    if (behaviour == Behaviour::HeaderFlood)
        while (chunk.size() < FloodChunkBytes)
            chunk += "X-Flood: " + QByteArray::number(chunk.size()) + "\r\n";
    else
        chunk.fill(behaviour == Behaviour::HeaderBomb ? 'a' : '0', FloodChunkBytes);
    socket->write(behaviour == Behaviour::HeaderBomb      ? "HTTP/1.1 200 OK\r\nX-Bomb: "
                      : behaviour == Behaviour::ChunkBomb ? "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                                                          : "HTTP/1.1 200 OK\r\n");
    auto sent = std::make_shared<qint64>(0);
    auto more = [socket, chunk, sent] {
        if (socket->bytesToWrite() > FloodChunkBytes || *sent >= FloodLimitBytes)
            return;
        socket->write(chunk);
        *sent += chunk.size();
    };
    connect(socket, &QSslSocket::encryptedBytesWritten, socket, more);
    more();
}

void FakeCloudService::drip(QSslSocket* socket)
{
    socket->write("HTTP/1.1 200 OK\r\n");
    auto* timer = new QTimer(socket);
    auto lines = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, socket, [socket, timer, lines] {
        if (++*lines >= DripLimitLines)
            timer->stop();
        socket->write("X-Drip: " + QByteArray::number(*lines) + "\r\n");
    });
    timer->start(500);
}
