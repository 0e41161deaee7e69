#pragma once

#include "usb/ElCmd.h"

#include <QMainWindow>

class CameraListener;

namespace Ui {
class PreparationWindow;
}

class PreparationWindow : public QMainWindow
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
    template <typename MakeNext>
    void leaveFor(MakeNext makeNext);

    Ui::PreparationWindow* ui;
    CameraListener* m_camera;
};
