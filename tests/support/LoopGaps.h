#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The longest time the event loop went without turning while this lives: a timer due
// every few milliseconds notes how late each of its turns came.
class LoopGaps : public QObject
{
public:
    LoopGaps()
    {
        m_sinceTurn.start();
        connect(&m_tick, &QTimer::timeout, this, [this] { m_longestMs = qMax(m_longestMs, m_sinceTurn.restart()); });
        m_tick.start(5);
    }

    qint64 longestMs() const { return qMax(m_longestMs, m_sinceTurn.elapsed()); }

private:
    QTimer m_tick;
    QElapsedTimer m_sinceTurn;
    qint64 m_longestMs = 0;
};
