#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>

namespace {
const QByteArray ComeToFront = QByteArrayLiteral("activate\n");
// A live copy answers at once; a hung one must not hold a new start up for long.
constexpr int AnswerWithinMs = 2000;
}

QString SingleInstance::socketName()
{
    const QByteArray display = QGuiApplication::platformName().toUtf8() + ':'
        + (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ? qgetenv("WAYLAND_DISPLAY")
                                                                                : qgetenv("DISPLAY"));
    const QByteArray key = QCryptographicHash::hash(display, QCryptographicHash::Sha1).toHex().left(16);
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/ravelo-setup-")
        + QString::fromLatin1(key);
}

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
    , m_name(socketName())
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::receiveCopy);
}

bool SingleInstance::handOverToRunningCopy()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(AnswerWithinMs))
        return false;
    socket.write(ComeToFront);
    return socket.waitForBytesWritten(AnswerWithinMs) && socket.waitForReadyRead(AnswerWithinMs);
}

void SingleInstance::listen()
{
    if (m_server.listen(m_name))
        return;
    QLocalServer::removeServer(m_name);
    if (!m_server.listen(m_name))
        qWarning("A second copy of the wizard cannot be told to hand over: %s", qPrintable(m_server.errorString()));
}

void SingleInstance::receiveCopy()
{
    while (QLocalSocket* copy = m_server.nextPendingConnection()) {
        connect(copy, &QLocalSocket::disconnected, copy, &QObject::deleteLater);
        connect(copy, &QLocalSocket::readyRead, this, [this, copy] {
            if (!copy->readAll().contains(ComeToFront))
                return;
            copy->write("ok\n");
            emit activationRequested();
        });
    }
}
