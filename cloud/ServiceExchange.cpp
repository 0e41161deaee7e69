#include "ServiceExchange.h"

#include "ReplyGuard.h"

#include <QJsonDocument>

#include <algorithm>

namespace ServiceExchange {

QJsonObject bodyOf(QNetworkReply* reply)
{
    return QJsonDocument::fromJson(ReplyGuard::bodyOf(reply)).object();
}

bool requiredText(const QJsonObject& body, const QString& key, QString& value)
{
    const QJsonValue member = body.value(key);
    if (!member.isString() || member.toString().isEmpty())
        return false;
    const QString text = member.toString();
    const bool hasControl =
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
    if (hasControl)
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
