#pragma once

#include <QString>
#include <QValidator>

class QObject;

// The input rules of the account forms, shared by sign-in and registration.
namespace InputValidators {

QValidator* email(QObject* parent);
QValidator* password(QObject* parent);
QValidator* accountName(QObject* parent);

// The validator's verdict on a whole text, as the forms judge it.
QValidator::State stateOf(const QValidator* validator, QString text);

}
