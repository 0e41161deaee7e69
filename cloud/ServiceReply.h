#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QNetworkReply>
#include <QObject>
#include <QString>
#include <QUrl>

// One exchange with the service as the screens see it: made when the request is sent,
// answered once the reply has ended on the network thread. What it holds was copied
// from the finished reply there, so that nothing here is shared between threads.
class ServiceReply : public QObject
{
    Q_OBJECT

public:
    struct Answer {
        QUrl url;
        int statusCode = 0;
        QString reasonPhrase;
        QNetworkReply::NetworkError error = QNetworkReply::NoError;
        // Why the exchange was cut short (a limit or the deadline); NoError when it was not.
        QNetworkReply::NetworkError cutReason = QNetworkReply::NoError;
        // Empty when the exchange was cut.
        QByteArray body;
    };

    explicit ServiceReply(const QUrl& url, QObject* parent = nullptr);

    void answer(const Answer& answer);

    QUrl url() const { return m_answer.url; }
    int statusCode() const { return m_answer.statusCode; }
    QString reasonPhrase() const { return m_answer.reasonPhrase; }
    QNetworkReply::NetworkError error() const { return m_answer.error; }
    QNetworkReply::NetworkError cutReason() const { return m_answer.cutReason; }
    QByteArray body() const { return m_answer.body; }

private:
    Answer m_answer;
};

Q_DECLARE_METATYPE(ServiceReply::Answer)
