#include "InputValidators.h"
#include "desktop/WifiName.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace InputValidators {

namespace {
QValidator* matching(const QString& pattern, QObject* parent)
{
    return new QRegularExpressionValidator(QRegularExpression(pattern), parent);
}

// Addresses are compared in small letters: a capital is turned into its small letter
// rather than refused. Only A to Z, so that the text keeps its length and the caret
// its place.
class EmailValidator : public QRegularExpressionValidator
{
public:
    explicit EmailValidator(QObject* parent)
        : QRegularExpressionValidator(QRegularExpression(QStringLiteral("[a-z0-9._%+-]+@[a-z0-9.-]+\\.[a-z]{2,63}")),
                                      parent)
    {
    }

    State validate(QString& input, int& position) const override
    {
        for (QChar& c : input) {
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = c.toLower();
        }
        return QRegularExpressionValidator::validate(input, position);
    }
};
}

QValidator* email(QObject* parent)
{
    return new EmailValidator(parent);
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

std::function<bool(const QString&)> acceptedBy(const QValidator* validator)
{
    return [validator](const QString& text) { return stateOf(validator, text) == QValidator::Acceptable; };
}

bool isWifiNetworkName(const QString& name)
{
    return WifiName::isValid(name.toUtf8());
}

bool isWifiPassword(const QString& password)
{
    static const QRegularExpression hexKey(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    return password.isEmpty() || (password.size() >= 8 && password.size() <= 63) || hexKey.match(password).hasMatch();
}

bool isCameraName(const QString& name)
{
    return !name.trimmed().isEmpty();
}

}
