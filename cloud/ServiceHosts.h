#pragma once

#include <QString>
#include <QUrl>

// Where the cloud service lives. Defaults are build settings; the environment
// variables RAVELO_ACCOUNT_HOST, RAVELO_APP_HOST and RAVELO_TERMS_HOST override them
// at run time. A value may carry a port ("host:8443").
namespace ServiceHosts {

QString accountHost();
QString applicationHost();
QString termsHost();

// https:// + host + path
QUrl httpsUrl(const QString& host, const QString& path);

// Adds the certificates of the PEM file named by RAVELO_EXTRA_CA_CERTS to the trusted
// authorities. Verification itself is never relaxed.
void installExtraCaCertificates();

}
