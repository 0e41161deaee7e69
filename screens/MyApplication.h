#pragma once

#include <QApplication>
#include <QString>

// Holds what outlives a single screen: the signed-in user's identity and access token.
// Kept in memory only, for the length of one run.
class MyApplication : public QApplication
{
public:
    MyApplication(int& argc, char** argv);
    ~MyApplication() override;

    void setUuid(const QString& uuid);
    QString uuid() const;
    void setAccessToken(const QString& accessToken);
    QString accessToken() const;

    static MyApplication* current();

private:
    QString m_uuid;
    QString m_accessToken;
};
