#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

struct SeenBox {
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    bool enabled = false;
    Qt::TextFormat format = Qt::AutoText;
    QString advice; // the informative text under the text
    QString details;
};

// Watches for modal message boxes while it lives: records each one and clicks its OK
// button, as a user would. Tests never sleep for a box; they wait for it to be seen.
class ModalBoxes : public QObject
{
    Q_OBJECT

public:
    ModalBoxes();

    QList<SeenBox> seen() const;
    // Waits until count boxes have been seen; false when they never come.
    bool waitFor(int count, int timeoutMs = 10000);
    SeenBox last() const;
    // Runs once for each box while it is open, before the box is recorded and closed
    // (unless the action closed it).
    void whileOpen(std::function<void()> action);

private:
    void poll();

    QTimer m_timer;
    QList<SeenBox> m_seen;
    std::function<void()> m_whileOpen;
};
