#include "TopWindow.h"
#include "ui_TopWindow.h"

#include "PreparationWindow.h"
#include "ScreenFrame.h"

TopWindow::TopWindow(QWidget* parent)
    : ScreenWindow(parent)
    , ui(new Ui::TopWindow)
{
    ui->setupUi(this);
    ui->button_start->setFocus();
    ScreenFrame::prepare(this);
}

TopWindow::~TopWindow()
{
    delete ui;
}

void TopWindow::on_button_start_clicked()
{
    ScreenFrame::moveOn(this, [] { return new PreparationWindow; });
}

void TopWindow::on_button_start_pressed()
{
    ScreenFrame::showFace(ui->button_start, QStringLiteral(":/images/01_start_down.png"));
}

void TopWindow::on_button_start_released()
{
    ScreenFrame::showFace(ui->button_start, QStringLiteral(":/images/01_start_up.png"));
}
