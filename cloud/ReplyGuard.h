#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QObject>
#include <QTimer>

// Keeps one service reply within bounds: its body is read as it arrives, up to a cap
// on what it decompresses to; the exchange must not grow the process by more than a
// limit, from the request to the last byte; and it has a deadline. A reply past any of them is aborted,
// its connection closed, and it reports why, so that it ends as a network failure and
// a retry starts on a fresh connection.
class ReplyGuard : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxBodyBytes = 1024 * 1024;
    static constexpr qint64 MaxGrowthBytes = 32 * 1024 * 1024;

    static void watch(QNetworkReply* reply, int deadlineMs);
    // The body read so far and the rest of what has arrived, within the cap.
    static QByteArray bodyOf(QNetworkReply* reply);
    // Why the guard aborted the reply; NoError when it did not.
    static QNetworkReply::NetworkError cutReason(QNetworkReply* reply);

private:
    ReplyGuard(QNetworkReply* reply, int deadlineMs);

    static ReplyGuard* of(QNetworkReply* reply);
    void watchGrowth();
    void checkGrowth();
    void readWithinCap();
    void cut(QNetworkReply::NetworkError reason);

    QNetworkReply* m_reply;
    QByteArray m_body;
    QTimer m_deadline;
    QTimer m_growth;
    qint64 m_residentAtStart = 0;
    QNetworkReply::NetworkError m_cutReason = QNetworkReply::NoError;
};
