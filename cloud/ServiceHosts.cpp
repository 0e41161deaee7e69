#include "ServiceHosts.h"

#include "CloudLog.h"

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QtGlobal>

namespace ServiceHosts {

namespace {
QString fromEnvironment(const char* variable, const char* builtIn)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? QString::fromLatin1(builtIn) : value;
}
}

QString accountHost()
{
    return fromEnvironment("RAVELO_ACCOUNT_HOST", RAVELO_ACCOUNT_HOST);
}

QString applicationHost()
{
    return fromEnvironment("RAVELO_APP_HOST", RAVELO_APP_HOST);
}

QString termsHost()
{
    return fromEnvironment("RAVELO_TERMS_HOST", RAVELO_TERMS_HOST);
}

QUrl httpsUrl(const QString& host, const QString& path)
{
    return QUrl(QStringLiteral("https://") + host + path);
}

void installExtraCaCertificates()
{
    if (!QSslSocket::supportsSsl())
        qCWarning(lcCloud) << "No TLS library: the service cannot be reached";
    const QString file = qEnvironmentVariable("RAVELO_EXTRA_CA_CERTS");
    if (file.isEmpty())
        return;
    const QList<QSslCertificate> extra = QSslCertificate::fromPath(file, QSsl::Pem);
    if (extra.isEmpty()) {
        qCWarning(lcCloud) << "No certificates found in RAVELO_EXTRA_CA_CERTS";
        return;
    }
    // Setting the list ends Qt's loading of the system roots on demand, so they are
    // named here too: the extra authorities add to them, never replace them.
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

}
