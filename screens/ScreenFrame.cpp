#include "ScreenFrame.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMainWindow>
#include <QPixmap>
#include <QVariant>

namespace ScreenFrame {

namespace {
const char* const LeftProperty = "ravelo_left";
}

void showFace(QAbstractButton* button, const QString& image)
{
    button->setIcon(QIcon(QPixmap(image)));
}

bool leave(QWidget* screen)
{
    if (hasLeft(screen))
        return false;
    screen->setProperty(LeftProperty, true);
    return true;
}

bool hasLeft(const QWidget* screen)
{
    return screen->property(LeftProperty).toBool();
}

// Disabled, a closed screen drops the clicks and key presses still queued for it.
void handOver(QMainWindow* current, QMainWindow* next)
{
    leave(current);
    current->setEnabled(false);
    next->show();
    current->close();
}

}
