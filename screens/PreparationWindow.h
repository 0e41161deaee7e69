#pragma once

#include "usb/ElCmd.h"

#include "ScreenWindow.h"

class CameraListener;

namespace Ui {
class PreparationWindow;
}

class PreparationWindow : public ScreenWindow
{
    Q_OBJECT

public:
    explicit PreparationWindow(QWidget* parent = nullptr);
    ~PreparationWindow() override;

private slots:
    void on_button_login_clicked();
    void on_button_login_pressed();
    void on_button_login_released();
    void on_button_regist_user_clicked();
    void on_button_regist_user_pressed();
    void on_button_regist_user_released();
    void receiveCmd(EL_CMD cmd);

private:
    void setWaysOnEnabled(bool enabled);
    void explainOpenFailure(int code);

    Ui::PreparationWindow* ui;
    CameraListener* m_camera;
};
