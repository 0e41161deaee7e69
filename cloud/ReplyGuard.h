#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QTimer>

// Keeps one service reply within bounds: its body is read as it arrives, up to a cap
// on what it decompresses to, and the whole exchange has a deadline. A reply past
// either is aborted and reports why, so that it ends as a network failure.
class ReplyGuard : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxBodyBytes = 1024 * 1024;

    static void watch(QNetworkReply* reply, int deadlineMs);
    // The body read so far and the rest of what has arrived, within the cap.
    static QByteArray bodyOf(QNetworkReply* reply);
    // Why the guard aborted the reply; NoError when it did not.
    static QNetworkReply::NetworkError cutReason(QNetworkReply* reply);

private:
    ReplyGuard(QNetworkReply* reply, int deadlineMs);

    static ReplyGuard* of(QNetworkReply* reply);
    void take();
    void cut(QNetworkReply::NetworkError reason);

    QNetworkReply* m_reply;
    QByteArray m_body;
    QTimer m_deadline;
    QNetworkReply::NetworkError m_cutReason = QNetworkReply::NoError;
};
