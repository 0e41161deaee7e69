#include "ReplyGuard.h"

#include "CloudLog.h"
#include "ProcessMemory.h"

#include <QNetworkAccessManager>

namespace {
constexpr int GrowthCheckMs = 100;
}

ReplyGuard::ReplyGuard(QNetworkReply* reply, int deadlineMs)
    : QObject(reply)
    , m_reply(reply)
{
    // Qt buffers what it decompresses until it is read; reading as it comes keeps a
    // compressed reply from growing without bound before the cap is checked.
    connect(reply, &QNetworkReply::readyRead, this, &ReplyGuard::readWithinCap);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] { cut(QNetworkReply::TimeoutError); });
    connect(reply, &QNetworkReply::finished, &m_deadline, &QTimer::stop);
    m_deadline.start(deadlineMs);
    watchGrowth();
}

// Qt 5 reads a status line, headers and chunk-size lines of any length on its own
// thread and tells nothing until each is complete; the body cap never sees them. What
// it keeps of them is this process's memory, so that is watched, from the request to
// the last byte. A slow but valid status line is waited for, up to the deadline.
void ReplyGuard::watchGrowth()
{
    m_residentAtStart = ProcessMemory::residentBytes();
    connect(&m_growth, &QTimer::timeout, this, &ReplyGuard::checkGrowth);
    m_growth.start(GrowthCheckMs);
    connect(m_reply, &QNetworkReply::finished, &m_growth, &QTimer::stop);
}

void ReplyGuard::checkGrowth()
{
    if (ProcessMemory::residentBytes() - m_residentAtStart > MaxGrowthBytes) {
        qCWarning(lcCloud) << "The service's reply grows without end; the exchange is aborted";
        cut(QNetworkReply::ProtocolFailure);
    }
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
    guard->readWithinCap();
    return guard->m_cutReason == QNetworkReply::NoError ? guard->m_body : QByteArray();
}

QNetworkReply::NetworkError ReplyGuard::cutReason(QNetworkReply* reply)
{
    const ReplyGuard* guard = of(reply);
    return guard ? guard->m_cutReason : QNetworkReply::NoError;
}

void ReplyGuard::readWithinCap()
{
    if (m_cutReason != QNetworkReply::NoError)
        return;
    m_body += m_reply->read(MaxBodyBytes + 1 - m_body.size());
    if (m_body.size() > MaxBodyBytes)
        cut(QNetworkReply::ProtocolFailure);
}

// Aborting a reply leaves its connection open for reuse, even one stuck in its TLS
// handshake, and the next request would queue behind it; so the manager drops its
// connections first. The abort then reports the cut (its box may block a while).
void ReplyGuard::cut(QNetworkReply::NetworkError reason)
{
    // A reply that has failed already finishes with its own error.
    if (m_cutReason != QNetworkReply::NoError || m_reply->isFinished() || m_reply->error() != QNetworkReply::NoError)
        return;
    m_cutReason = reason;
    m_body.clear();
    m_growth.stop();
    if (QNetworkAccessManager* manager = m_reply->manager())
        manager->clearConnectionCache();
    m_reply->abort();
}
