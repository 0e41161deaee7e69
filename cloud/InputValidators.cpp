#include "InputValidators.h"

#include <QRegExp>
#include <QRegExpValidator>

namespace InputValidators {

namespace {
QValidator* matching(const QString& pattern, QObject* parent)
{
    return new QRegExpValidator(QRegExp(pattern, Qt::CaseSensitive, QRegExp::RegExp), parent);
}
}

QValidator* email(QObject* parent)
{
    return matching(QStringLiteral("[a-z0-9._%+-]+@[a-z0-9.-]+\\.[a-z]{2,4}"), parent);
}

QValidator* password(QObject* parent)
{
    return matching(QStringLiteral(".{8,16}"), parent);
}

QValidator* accountName(QObject* parent)
{
    return matching(QStringLiteral(".{1,10}"), parent);
}

QValidator::State stateOf(const QValidator* validator, QString text)
{
    int position = 0;
    return validator->validate(text, position);
}

}
