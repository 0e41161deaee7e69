#pragma once

#include <QByteArray>
#include "ScreenWindow.h"

// Base of every screen that can send a JSON-RPC request text to the camera.
class AbstWidgetBase : public ScreenWindow
{
    Q_OBJECT

public:
    explicit AbstWidgetBase(QWidget* parent = nullptr);

    virtual void sendRequest(QByteArray request) = 0;
};
