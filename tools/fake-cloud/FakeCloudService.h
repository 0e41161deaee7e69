#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QTcpServer>

class QSslSocket;

// One HTTP request as the service received it.
struct RecordedRequest {
    QByteArray method;
    QByteArray path;
    QString host; // the host name the client asked for, without the port
    QList<QPair<QByteArray, QByteArray>> headers; // in the order they were sent
    QByteArray body;

    QByteArray header(const QByteArray& name) const;
    QList<QByteArray> headerNames() const;
};

// A local stand-in for the cloud service, over real TLS on loopback. The account
// service answers as 127.0.0.1 and the application service as localhost (one port,
// told apart by the Host header), so clients can tell the two by name.
class FakeCloudService : public QTcpServer
{
    Q_OBJECT

public:
    // Trickle sends the reply one byte a second. The header behaviours never end the
    // header block: HeaderBomb sends one endless header, HeaderFlood endless header
    // lines (both as fast as the client reads them), SlowHeaders one short header line
    // every half second. ChunkBomb completes the headers of a chunked reply, then sends
    // one endless chunk-size line. Late sends the reply after LateReplyMs. CookieFlood
    // sends the reply with CookieFloodLines "Set-Cookie" headers of a kilobyte each.
    enum class Behaviour {
        Reply,
        Redirect,
        CutOff,
        Silent,
        Trickle,
        HeaderBomb,
        HeaderFlood,
        SlowHeaders,
        ChunkBomb,
        Late,
        CookieFlood
    };
    static constexpr int LateReplyMs = 12000;
    static constexpr int CookieFloodLines = 2000;
    // Qt 5 takes seconds over the flood's header block (its time grows with the square of
    // the cookies), longer than any deadline the tests set; Qt 6 reads it as an ordinary
    // reply.
    static constexpr bool CookieFloodOutlastsDeadlines = QT_VERSION < QT_VERSION_CHECK(6, 0, 0);

    struct Outcome {
        Behaviour behaviour = Behaviour::Reply;
        int status = 200;
        QByteArray reason = "OK";
        QByteArray body;
        QByteArray extraHeaders; // whole "Name: value\r\n" lines
    };

    explicit FakeCloudService(QObject* parent = nullptr);

    // Listens on loopback; an untrusted service presents a certificate nobody signed.
    bool start(bool trusted = true, quint16 port = 0);
    // Listens with the server certificate of the given stem ("system-", "other-").
    bool startSignedBy(const QString& stem);
    // While set, connections are accepted and the TLS handshake is never answered.
    void setStallHandshakes(bool stall);
    // Connections open now (stalled ones included).
    int openConnections() const;

    QString accountHost() const;
    QString applicationHost() const;
    static QString accountHostName();
    static QString applicationHostName();
    static QString certificateAuthorityFile();
    // A file the certificate script made, by name ("system-ca.pem").
    static QString testCertificateFile(const QString& name);

    // What a path answers; for a host name given, only requests to that host.
    void setOutcome(const QByteArray& path, const Outcome& outcome, const QString& host = QString());
    void setReply(const QByteArray& path, int status, const QByteArray& body, const QByteArray& reason = "OK",
                  const QString& host = QString());
    void setBehaviour(const QByteArray& path, Behaviour behaviour, const QString& host = QString());
    void resetOutcomes();

    QList<RecordedRequest> requests() const;
    QList<RecordedRequest> requestsTo(const QByteArray& path) const;
    bool waitForRequests(int count, int timeoutMs = 10000) const;
    void clearRequests();

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    class Ipv6Loopback;

    bool listenOnLoopback(quint16 port);
    void readRequest(QSslSocket* socket);
    void respond(QSslSocket* socket, const RecordedRequest& request);
    void trickle(QSslSocket* socket, const QByteArray& bytes);
    void flood(QSslSocket* socket, Behaviour behaviour);
    void drip(QSslSocket* socket);
    Outcome outcomeFor(const RecordedRequest& request) const;
    static Outcome defaultOutcome(const RecordedRequest& request);

    QString m_stem = QStringLiteral("server");
    QMap<QString, Outcome> m_outcomes;
    QList<RecordedRequest> m_requests;
    QMap<QSslSocket*, QByteArray> m_buffers;
    bool m_stallHandshakes = false;
};
