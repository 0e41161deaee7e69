#include "SystemBusProbe.h"

#include <QtEndian>

#include <unistd.h>

namespace {
// An authentication answer is one short line.
constexpr int MaxLineBytes = 512;

void appendUint32(QByteArray& bytes, quint32 value)
{
    const quint32 little = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&little), sizeof little);
}

// One header field: its code, the one-letter signature of its value, and the value, a
// string or an object path. Fields start on 8 bytes from the start of the message,
// whose fixed part takes 16.
void appendField(QByteArray& fields, char code, char type, const QByteArray& value)
{
    while (fields.size() % 8)
        fields.append('\0');
    fields.append(code).append('\1').append(type).append('\0');
    appendUint32(fields, quint32(value.size()));
    fields.append(value).append('\0');
}

// org.freedesktop.DBus.Hello as the first message of a connection, little-endian.
QByteArray helloMessage()
{
    const QByteArray bus("org.freedesktop.DBus");
    QByteArray fields;
    appendField(fields, 1, 'o', "/org/freedesktop/DBus");
    appendField(fields, 2, 's', bus);
    appendField(fields, 3, 's', "Hello");
    appendField(fields, 6, 's', bus);
    QByteArray message("l\1\0\1", 4);
    appendUint32(message, 0);
    appendUint32(message, 1);
    appendUint32(message, quint32(fields.size()));
    message.append(fields);
    while (message.size() % 8)
        message.append('\0');
    return message;
}
}

QString SystemBusProbe::socketFile()
{
    QString address =
        qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS", QStringLiteral("unix:path=/var/run/dbus/system_bus_socket"));
    address = address.section(QLatin1Char(';'), 0, 0);
    const QString prefix = QStringLiteral("unix:path=");
    if (!address.startsWith(prefix))
        return QString();
    return address.mid(prefix.size()).section(QLatin1Char(','), 0, 0);
}

SystemBusProbe::SystemBusProbe(QObject* parent)
    : QObject(parent)
{
    m_patience.setSingleShot(true);
    connect(&m_patience, &QTimer::timeout, this, [this] { end(false); });
    connect(&m_socket, &QLocalSocket::connected, this, [this] {
        m_socket.write(QByteArray("\0AUTH EXTERNAL ", 15) + QByteArray::number(getuid()).toHex() + "\r\n");
    });
    connect(&m_socket, &QLocalSocket::readyRead, this, &SystemBusProbe::readAnswer);
    connect(&m_socket, &QLocalSocket::errorOccurred, this, [this] { end(false); });
}

void SystemBusProbe::start(const QString& socketFile, int patienceMs)
{
    m_patience.start(patienceMs);
    m_socket.connectToServer(socketFile);
}

void SystemBusProbe::readAnswer()
{
    if (m_saidHello) {
        end(true);
        return;
    }
    m_line += m_socket.read(MaxLineBytes - m_line.size());
    if (m_line.endsWith("\r\n"))
        m_line.startsWith("OK ") ? authenticated() : end(m_line.startsWith("REJECTED"));
    else if (m_line.size() >= MaxLineBytes)
        end(false);
}

void SystemBusProbe::authenticated()
{
    m_saidHello = true;
    m_socket.write("BEGIN\r\n" + helloMessage());
}

void SystemBusProbe::end(bool usable)
{
    if (m_ended)
        return;
    m_ended = true;
    m_patience.stop();
    m_socket.abort();
    usable ? emit ready() : emit unusable();
    deleteLater();
}
