#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QList>
#include <QString>
#include <QTest>
#include <QWidget>

// Finding and driving wizard screens as a user sees them.
namespace Screens {

inline QList<QWidget*> visibleWindows()
{
    QList<QWidget*> visible;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            visible.append(widget);
    }
    return visible;
}

template <typename T>
T* visible()
{
    for (QWidget* widget : visibleWindows()) {
        if (auto* screen = qobject_cast<T*>(widget))
            return screen;
    }
    return nullptr;
}

inline void closeAll()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        widget->close();
}

// Destroys every wizard screen, so that screens a test left behind stop listening.
inline void destroyAll()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget))
            widget->deleteLater();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <typename T>
T* child(QWidget* screen, const char* name)
{
    return screen->findChild<T*>(QLatin1String(name));
}

// Types text key by key, Japanese included, so that validators see every keystroke.
inline void type(QWidget* screen, const char* field, const QString& text)
{
    auto* edit = child<QLineEdit>(screen, field);
    edit->clear();
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

}
