#include "EchoGuard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

namespace {
// Typing goes through at once: only the keys that press buttons are echoes.
bool activates(int key, QWidget* receiver)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return true;
    return key == Qt::Key_Space && qobject_cast<QAbstractButton*>(receiver);
}
}

void EchoGuard::guard(QWidget* screen)
{
    new EchoGuard(screen);
}

EchoGuard::EchoGuard(QWidget* screen)
    : QObject(screen)
    , m_screen(screen)
{
    qApp->installEventFilter(this);
    // Removed at once when the time is up: a deferred delete may wait for a loop that
    // is only reached much later.
    QTimer::singleShot(QApplication::doubleClickInterval(), this, [this] {
        qApp->removeEventFilter(this);
        deleteLater();
    });
}

bool EchoGuard::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != m_screen)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return activates(static_cast<QKeyEvent*>(event)->key(), widget);
    default:
        return false;
    }
}
