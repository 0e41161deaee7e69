#include "MyApplication.h"

MyApplication::MyApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

MyApplication::~MyApplication() = default;

void MyApplication::setUuid(const QString& uuid)
{
    m_uuid = uuid;
}

QString MyApplication::uuid() const
{
    return m_uuid;
}

void MyApplication::setAccessToken(const QString& accessToken)
{
    m_accessToken = accessToken;
}

QString MyApplication::accessToken() const
{
    return m_accessToken;
}

SupportReport& MyApplication::supportReport()
{
    return m_supportReport;
}

void MyApplication::setUpScaling()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

MyApplication* MyApplication::current()
{
    return dynamic_cast<MyApplication*>(QCoreApplication::instance());
}
