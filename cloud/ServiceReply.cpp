#include "ServiceReply.h"

ServiceReply::ServiceReply(const QUrl& url, QObject* parent)
    : QObject(parent)
{
    m_answer.url = url;
}

void ServiceReply::answer(const Answer& answer)
{
    m_answer = answer;
}
