#pragma once

#include <QByteArray>
#include <QList>

// Platform choices Qt reads while the application object connects to the display,
// made only where the user made none. They hold for that moment alone, so that the
// programs the wizard starts (the browser for a link) inherit the user's environment
// as it was.
class DisplayDefaults
{
public:
    DisplayDefaults();
    ~DisplayDefaults();
    DisplayDefaults(const DisplayDefaults&) = delete;
    DisplayDefaults& operator=(const DisplayDefaults&) = delete;

private:
    void setUnlessSet(const char* name, const QByteArray& value);

    QList<const char*> m_set;
};
