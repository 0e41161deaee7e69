#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One wizard per desktop session: the first copy listens on a local socket in the
// user's runtime folder, named after the display; a later copy finds it there, asks it
// to come to the front and ends. Two copies would fight over the one camera.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QObject* parent = nullptr);

    // True when a running copy took the request to come to the front.
    bool handOverToRunningCopy();
    // Listens for later copies. A socket left by a copy that crashed is replaced.
    void listen();
    // Where the copy for this display listens.
    static QString socketName();

signals:
    void activationRequested();

private:
    void receiveCopy();

    QString m_name;
    QLocalServer m_server;
};
