#include "ScreenFrame.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMainWindow>
#include <QPixmap>

namespace ScreenFrame {

void showFace(QAbstractButton* button, const QString& image)
{
    button->setIcon(QIcon(QPixmap(image)));
}

void handOver(QMainWindow* current, QMainWindow* next)
{
    next->show();
    current->close();
}

}
