#include "ReplyGuard.h"

ReplyGuard::ReplyGuard(QNetworkReply* reply, int deadlineMs)
    : QObject(reply)
    , m_reply(reply)
{
    // Qt buffers what it decompresses until it is read; reading as it comes keeps a
    // compressed reply from growing without bound before the cap is checked.
    connect(reply, &QNetworkReply::readyRead, this, &ReplyGuard::take);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { cut(QNetworkReply::TimeoutError); });
    connect(reply, &QNetworkReply::finished, &m_deadline, &QTimer::stop);
    m_deadline.start(deadlineMs);
}

void ReplyGuard::watch(QNetworkReply* reply, int deadlineMs)
{
    new ReplyGuard(reply, deadlineMs);
}

ReplyGuard* ReplyGuard::of(QNetworkReply* reply)
{
    return reply->findChild<ReplyGuard*>(QString(), Qt::FindDirectChildrenOnly);
}

QByteArray ReplyGuard::bodyOf(QNetworkReply* reply)
{
    ReplyGuard* guard = of(reply);
    if (!guard)
        return reply->readAll();
    guard->take();
    return guard->m_cutReason == QNetworkReply::NoError ? guard->m_body : QByteArray();
}

QNetworkReply::NetworkError ReplyGuard::cutReason(QNetworkReply* reply)
{
    const ReplyGuard* guard = of(reply);
    return guard ? guard->m_cutReason : QNetworkReply::NoError;
}

void ReplyGuard::take()
{
    if (m_cutReason != QNetworkReply::NoError)
        return;
    m_body += m_reply->read(MaxBodyBytes + 1 - m_body.size());
    if (m_body.size() > MaxBodyBytes)
        cut(QNetworkReply::ProtocolFailure);
}

void ReplyGuard::cut(QNetworkReply::NetworkError reason)
{
    // A reply that has failed already finishes with its own error.
    if (m_cutReason != QNetworkReply::NoError || m_reply->isFinished() || m_reply->error() != QNetworkReply::NoError)
        return;
    m_cutReason = reason;
    m_body.clear();
    m_reply->abort();
}
