#pragma once

#include <QString>
#include <QValidator>

#include <functional>

class QObject;

// The input rules of the forms: the account forms' validators, and the rules of the
// Wi-Fi settings and the camera name.
namespace InputValidators {

// Capital letters typed into it become small ones, where they stand.
QValidator* email(QObject* parent);
QValidator* password(QObject* parent);
QValidator* accountName(QObject* parent);

// The validator's verdict on a whole text, as the forms judge it.
QValidator::State stateOf(const QValidator* validator, QString text);
// Whether a whole text is acceptable to the validator, as a rule to pass on.
std::function<bool(const QString&)> acceptedBy(const QValidator* validator);

// 1 to 32 bytes in UTF-8.
bool isWifiNetworkName(const QString& name);
// Empty (an open network), 8 to 63 characters, or exactly 64 hexadecimal digits.
bool isWifiPassword(const QString& password);
// Anything but nothing or only white space.
bool isCameraName(const QString& name);

}
