#include "AbstWidgetBase.h"

AbstWidgetBase::AbstWidgetBase(QWidget* parent)
    : ScreenWindow(parent)
{
}
