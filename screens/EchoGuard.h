#pragma once

#include <QObject>

class QWidget;

// Keeps the echo of the last input off a screen that has just appeared: for the length
// of a double click, its clicks and its Enter and Space presses are dropped. The second
// half of a double click, or a second Enter, was meant for the screen before and must
// not land on whatever button sits at the same place on the new one. Typed text is
// never dropped.
class EchoGuard : public QObject
{
    Q_OBJECT

public:
    static void guard(QWidget* screen);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit EchoGuard(QWidget* screen);

    QWidget* m_screen;
};
