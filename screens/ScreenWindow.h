#pragma once

#include <QMainWindow>

// A wizard screen. It leaves once: from then on it acts on no click and no camera
// reply, and what listens on its behalf (the camera listener) stops.
class ScreenWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit ScreenWindow(QWidget* parent = nullptr);

    // Marks the screen as on its way out. False when it was already leaving, so that of
    // two activations (a double click, a click or a reply queued behind the first) only
    // the first acts.
    bool leave();
    bool hasLeft() const;

signals:
    void left();

private:
    bool m_left = false;
};
