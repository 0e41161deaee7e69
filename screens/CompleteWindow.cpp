#include "CompleteWindow.h"
#include "ui_CompleteWindow.h"

#include "ScreenFrame.h"

CompleteWindow::CompleteWindow(QWidget* parent)
    : ScreenWindow(parent)
    , ui(new Ui::CompleteWindow)
{
    ui->setupUi(this);
    ui->button_complate->setFocus();
    ScreenFrame::prepare(this);
}

CompleteWindow::~CompleteWindow()
{
    delete ui;
}

// Every earlier screen is closed already, so this ends the event loop.
void CompleteWindow::on_button_complate_clicked()
{
    if (leave())
        close();
}

void CompleteWindow::on_button_complate_pressed()
{
    ScreenFrame::showFace(ui->button_complate, QStringLiteral(":/images/07_complete_down.png"));
}

void CompleteWindow::on_button_complate_released()
{
    ScreenFrame::showFace(ui->button_complate, QStringLiteral(":/images/07_complete_up.png"));
}
