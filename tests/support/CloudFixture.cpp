#include "CloudFixture.h"

#include "cloud/ServiceHosts.h"

CloudFixture::CloudFixture()
{
    if (!service.start(true) || !untrusted.start(false))
        qFatal("cannot start the local cloud service");
    qputenv("RAVELO_APP_HOST", service.applicationHost().toUtf8());
    qputenv("RAVELO_TERMS_HOST", service.applicationHost().toUtf8());
    qputenv("RAVELO_EXTRA_CA_CERTS", FakeCloudService::certificateAuthorityFile().toUtf8());
    useUntrustedAccountHost(false);
    ServiceHosts::installExtraCaCertificates();
}

void CloudFixture::useUntrustedAccountHost(bool untrustedHost)
{
    qputenv("RAVELO_ACCOUNT_HOST", (untrustedHost ? untrusted : service).accountHost().toUtf8());
}
