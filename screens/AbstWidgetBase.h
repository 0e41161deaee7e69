#pragma once

#include <QByteArray>
#include <QMainWindow>

// Base of every screen that can send a JSON-RPC request text to the camera.
class AbstWidgetBase : public QMainWindow
{
    Q_OBJECT

public:
    explicit AbstWidgetBase(QWidget* parent = nullptr);

    virtual void sendRequest(QByteArray request) = 0;
};
