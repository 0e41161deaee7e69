#pragma once

#include "FuzzFigures.h"

#include "usb/ElCmd.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QString>
#include <QTextStream>

// Feeds generated camera replies, in the envelope the USB worker emits, to every
// screen that listens to the camera, and checks what each screen does with them:
// at most one box and one hand-over per reply, nothing at all once a screen has
// moved on, and no reply that takes long. Input n of a run with seed s is made
// from seed s + n alone, so a reported seed reproduces its input.
class CameraReplyFuzzer
{
public:
    using Figures = FuzzFigures;

    explicit CameraReplyFuzzer(QTextStream& report);
    ~CameraReplyFuzzer();

    Figures run(quint64 seed, int count);

    static QByteArray generate(quint64 inputSeed);

private:
    struct Slot {
        QString kind;
        QMainWindow* screen = nullptr;
    };

    void check(quint64 inputSeed, const EL_CMD& envelope);
    void deliverTo(Slot& slot, quint64 inputSeed, const EL_CMD& envelope);
    void renew(Slot& slot);
    void anomaly(quint64 inputSeed, const QString& what);
    static QMainWindow* create(const QString& kind);
    static EL_CMD envelopeFor(quint64 inputSeed, const QByteArray& reply);

    QTextStream& m_report;
    QList<Slot> m_slots;
    Figures m_figures;
};
