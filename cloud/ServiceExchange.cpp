#include "ServiceExchange.h"

#include "ServiceReply.h"

#include <QJsonDocument>

#include <algorithm>

namespace ServiceExchange {

QJsonObject bodyOf(const ServiceReply* reply)
{
    return QJsonDocument::fromJson(reply->body()).object();
}

namespace {
// Identities and tokens go into a header: the characters of an HTTP token only, and no
// more of them than a sensible token has.
constexpr int MaxTextLength = 4096;

bool isTokenCharacter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || QStringLiteral("!#$%&'*+-.^_`|~").contains(c);
}
}

bool requiredText(const QJsonObject& body, const QString& key, QString& value)
{
    const QJsonValue member = body.value(key);
    if (!member.isString() || member.toString().isEmpty())
        return false;
    const QString text = member.toString();
    if (text.size() > MaxTextLength || !std::all_of(text.cbegin(), text.cend(), isTokenCharacter))
        return false;
    value = text;
    return true;
}

QStringList requiredTexts(const QJsonObject& body, const QStringList& keys)
{
    QStringList values;
    for (const QString& key : keys) {
        QString value;
        if (!requiredText(body, key, value))
            return {};
        values.append(value);
    }
    return values;
}

}
