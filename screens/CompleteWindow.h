#pragma once

#include "ScreenWindow.h"

namespace Ui {
class CompleteWindow;
}

class CompleteWindow : public ScreenWindow
{
    Q_OBJECT

public:
    explicit CompleteWindow(QWidget* parent = nullptr);
    ~CompleteWindow() override;

private slots:
    void on_button_complate_clicked();
    void on_button_complate_pressed();
    void on_button_complate_released();

private:
    Ui::CompleteWindow* ui;
};
