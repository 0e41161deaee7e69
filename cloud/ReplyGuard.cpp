#include "ReplyGuard.h"

#include "CloudLog.h"
#include "ProcessMemory.h"

#include <QNetworkAccessManager>

namespace {
constexpr int HeaderGrowthCheckMs = 100;
}

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
    watchHeaders();
}

// Qt 5 reads a status line and headers of any length and tells nothing until they
// are complete. What it keeps of them is this process's memory, so that is watched,
// and the headers get a deadline of their own once the request is out.
void ReplyGuard::watchHeaders()
{
    m_headerDeadline.setSingleShot(true);
    connect(&m_headerDeadline, &QTimer::timeout, this, [this] { cut(QNetworkReply::TimeoutError); });
    // Every request here is a POST with a body: it is out once all of the body is.
    connect(m_reply, &QNetworkReply::uploadProgress, this, [this](qint64 sent, qint64 total) {
        if (sent == total && !m_headerDeadline.isActive() && m_headerGrowth.isActive())
            m_headerDeadline.start(HeaderDeadlineMs);
    });
    m_residentAtStart = ProcessMemory::residentBytes();
    connect(&m_headerGrowth, &QTimer::timeout, this, &ReplyGuard::checkHeaderGrowth);
    m_headerGrowth.start(HeaderGrowthCheckMs);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &ReplyGuard::headersArrived);
    connect(m_reply, &QNetworkReply::finished, this, &ReplyGuard::headersArrived);
}

void ReplyGuard::checkHeaderGrowth()
{
    if (ProcessMemory::residentBytes() - m_residentAtStart > MaxHeaderGrowthBytes) {
        qCWarning(lcCloud) << "The service's reply headers grow without end; the exchange is aborted";
        cut(QNetworkReply::ProtocolFailure);
    }
}

void ReplyGuard::headersArrived()
{
    m_headerDeadline.stop();
    m_headerGrowth.stop();
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
    headersArrived();
    if (QNetworkAccessManager* manager = m_reply->manager())
        manager->clearConnectionCache();
    m_reply->abort();
}
