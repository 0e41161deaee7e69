#pragma once

#include "FuzzFigures.h"

#include "FakeCloudService.h"

#include <QString>
#include <QTextStream>

class CloudFixture;
class EmulatedCamera;
class QMainWindow;

// Sends abusive replies from the local cloud service, over real TLS, to the screens
// that talk to it (sign-in, registration, camera naming) and checks that each
// exchange ends exactly once, in a box or on the next screen, within its deadline;
// that a reply lacking what the next step needs never leads on; and that nothing
// the service sent reaches a request header. Input n of a run with seed s is made
// from seed s + n alone.
class ServiceReplyFuzzer
{
public:
    using Figures = FuzzFigures;

    struct Input {
        QString screen;
        QByteArray path;
        QString host;
        FakeCloudService::Outcome outcome;
        bool stallHandshake = false;
        bool leadsOn = false; // what a correct client does with it
        // A garbled compressed body may reach a step that needs no member as an error
        // or as an empty success: either way is right.
        bool eitherWay = false;
    };

    ServiceReplyFuzzer(CloudFixture& cloud, EmulatedCamera& camera, QTextStream& report);

    Figures run(quint64 seed, int count);

    static Input generate(quint64 inputSeed);

private:
    void check(quint64 inputSeed);
    QMainWindow* open(const QString& screen);
    void anomaly(quint64 inputSeed, const QString& what);

    CloudFixture& m_cloud;
    EmulatedCamera& m_camera;
    QTextStream& m_report;
    Figures m_figures;
};
