#include "ScreenWindow.h"

ScreenWindow::ScreenWindow(QWidget* parent)
    : QMainWindow(parent)
{
}

bool ScreenWindow::leave()
{
    if (m_left)
        return false;
    m_left = true;
    emit left();
    return true;
}

bool ScreenWindow::hasLeft() const
{
    return m_left;
}
