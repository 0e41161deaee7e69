#include "ModalBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

ModalBoxes::ModalBoxes()
{
    connect(&m_timer, &QTimer::timeout, this, &ModalBoxes::poll);
    m_timer.start(10);
}

QList<SeenBox> ModalBoxes::seen() const
{
    return m_seen;
}

SeenBox ModalBoxes::last() const
{
    return m_seen.isEmpty() ? SeenBox{} : m_seen.last();
}

bool ModalBoxes::waitFor(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_seen.size() >= count; }, timeoutMs);
}

void ModalBoxes::whileOpen(std::function<void()> action)
{
    m_whileOpen = std::move(action);
}

void ModalBoxes::poll()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    if (!ok || box->property("ravelo_seen").toBool())
        return;
    box->setProperty("ravelo_seen", true);
    if (m_whileOpen)
        m_whileOpen();
    m_seen.append({box->windowTitle(), box->icon(), box->text(), box->isEnabled() && ok->isEnabled(), box->textFormat(),
                   box->informativeText(), box->detailedText()});
    if (box->isVisible())
        ok->click();
}
