#include "ServiceProxy.h"

#include <QUrl>

namespace {
QString variable(const char* lowerCase, const char* upperCase)
{
    const QString lower = qEnvironmentVariable(lowerCase);
    return lower.isEmpty() && upperCase ? qEnvironmentVariable(upperCase) : lower;
}

struct Credentials {
    QString user;
    QString password;
};

Credentials& remembered()
{
    static Credentials credentials;
    return credentials;
}

// An HTTP proxy's credentials go with the first CONNECT, rather than as Qt's answer to
// a 407 (see ServiceWorker).
void sendWithFirstConnect(QNetworkProxy& proxy)
{
    const QString pair = proxy.user() + QLatin1Char(':') + proxy.password();
    proxy.setRawHeader("Proxy-Authorization", "Basic " + pair.toUtf8().toBase64());
    proxy.setUser(QString());
    proxy.setPassword(QString());
}
}

QList<QNetworkProxy> ServiceProxy::queryProxy(const QNetworkProxyQuery& query)
{
    const QString host = query.peerHostName();
    if (bypasses(variable("no_proxy", "NO_PROXY"), host))
        return {QNetworkProxy::NoProxy};
    // HTTP_PROXY in upper case is left alone: web servers pass a request's Proxy header
    // under that name.
    QString address = query.url().scheme() == QLatin1String("http") ? variable("http_proxy", nullptr)
                                                                    : variable("https_proxy", "HTTPS_PROXY");
    if (address.isEmpty())
        address = variable("all_proxy", "ALL_PROXY");
    if (address.isEmpty())
        return systemProxyForQuery(query);
    QNetworkProxy proxy = fromAddress(address);
    if (proxy.user().isEmpty() && !remembered().user.isEmpty()) {
        proxy.setUser(remembered().user);
        proxy.setPassword(remembered().password);
    }
    if (proxy.type() == QNetworkProxy::HttpProxy && !proxy.user().isEmpty())
        sendWithFirstConnect(proxy);
    return {proxy};
}

QNetworkProxy ServiceProxy::fromAddress(const QString& address)
{
    const QUrl url =
        QUrl::fromUserInput(address.contains(QLatin1String("://")) ? address : QStringLiteral("http://") + address);
    if (!url.isValid() || url.host().isEmpty())
        return QNetworkProxy(QNetworkProxy::NoProxy);
    const bool socks = url.scheme().startsWith(QLatin1String("socks"));
    return QNetworkProxy(socks ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy, url.host(),
                         quint16(url.port(socks ? 1080 : 8080)), url.userName(), url.password());
}

bool ServiceProxy::bypasses(const QString& noProxy, const QString& host)
{
    for (QString entry : noProxy.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        entry = entry.trimmed().section(QLatin1Char(':'), 0, 0);
        if (entry == QLatin1String("*"))
            return true;
        if (entry.startsWith(QLatin1Char('.')))
            entry.remove(0, 1);
        if (!entry.isEmpty()
            && (host.compare(entry, Qt::CaseInsensitive) == 0
                || host.endsWith(QLatin1Char('.') + entry, Qt::CaseInsensitive)))
            return true;
    }
    return false;
}

QString ServiceProxy::describe(const QUrl& url)
{
    const QNetworkProxy proxy = ServiceProxy().queryProxy(QNetworkProxyQuery(url)).value(0);
    if (proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy)
        return QString();
    return proxy.hostName() + QLatin1Char(':') + QString::number(proxy.port());
}

void ServiceProxy::rememberCredentials(const QString& user, const QString& password)
{
    remembered() = {user, password};
}
