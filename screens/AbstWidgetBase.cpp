#include "AbstWidgetBase.h"

AbstWidgetBase::AbstWidgetBase(QWidget* parent)
    : QMainWindow(parent, Qt::WindowFlags())
{
}
