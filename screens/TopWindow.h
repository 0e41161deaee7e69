#pragma once

#include "ScreenWindow.h"

namespace Ui {
class TopWindow;
}

class TopWindow : public ScreenWindow
{
    Q_OBJECT

public:
    explicit TopWindow(QWidget* parent = nullptr);
    ~TopWindow() override;

private slots:
    void on_button_start_clicked();
    void on_button_start_pressed();
    void on_button_start_released();

private:
    Ui::TopWindow* ui;
};
