#pragma once

#include "SupportReport.h"

#include <QApplication>
#include <QString>

// Holds what outlives a single screen: the signed-in user's identity and access token,
// and the report for support. Kept in memory only, for the length of one run.
class MyApplication : public QApplication
{
public:
    MyApplication(int& argc, char** argv);
    ~MyApplication() override;

    void setUuid(const QString& uuid);
    QString uuid() const;
    void setAccessToken(const QString& accessToken);
    QString accessToken() const;

    SupportReport& supportReport();

    static MyApplication* current();

    // Call before the application exists. The screens are fixed 720 x 445 layouts: they
    // grow as a whole, by the desktop's own factor (125 % too), whether it comes from
    // its text size (Xft.dpi) or its scale factor, so that text keeps to its place.
    static void setUpScaling();

private:
    QString m_uuid;
    QString m_accessToken;
    SupportReport m_supportReport;
};
