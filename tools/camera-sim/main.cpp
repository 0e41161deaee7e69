// Runs a program (the wizard by default) against a simulated camera on an emulated
// USB bus and a local cloud service, so that the whole set-up can be walked through
// on a machine with no camera and no network.
//
//   ravelo-camera-sim [PROGRAM [ARGS...]]
//
// While the program runs, type "u" and Enter (or send SIGUSR1) to unplug the camera,
// "p" and Enter (or SIGUSR2) to plug it in again. Failures to try: "c" (a cookie flood
// on sign-in), "r" (sign-in refused), "h" (refused with a 2 MB reason phrase), "k" (an
// endless chunk-size line), "l" (the status line 12 s late), "t" (a 500 KB token), "e"
// (the camera refuses the Wi-Fi settings), "j" (it answers them with text that is not
// JSON), "b" (a 70 KB network list); "n" makes everything answer normally again.
#include "EmulatedCamera.h"
#include "FakeCloudService.h"

#include <glib-unix.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {
const char* const PreloadLibrary = "libumockdev-preload.so.0";

// Plug and unplug events reach the child only when this process runs under the
// preload library too.
void reexecUnderPreload(char** argv)
{
    const char* current = std::getenv("LD_PRELOAD");
    if (current && std::strstr(current, "libumockdev-preload"))
        return;
    QByteArray preload = PreloadLibrary;
    if (current && *current)
        preload += QByteArray(":") + current;
    setenv("LD_PRELOAD", preload.constData(), 1);
    execv("/proc/self/exe", argv);
    perror("cannot restart under the umockdev preload library");
    std::exit(1);
}

struct Simulation {
    EmulatedCamera camera;
    FakeCloudService cloud;
    QProcess program;
    int cameraHandle = 0;

    void unplug()
    {
        camera.unplug(cameraHandle);
        QTextStream(stderr) << "camera unplugged\n";
    }

    void plug()
    {
        if (camera.isPlugged(cameraHandle))
            return;
        cameraHandle = camera.plug();
        QTextStream(stderr) << "camera plugged in\n";
    }

    void obey(char command)
    {
        if (command == 'u')
            unplug();
        else if (command == 'p')
            plug();
        else if (command == 'c')
            cloud.setBehaviour("/account/authorize", FakeCloudService::Behaviour::CookieFlood);
        else if (command == 'r')
            cloud.setReply("/account/authorize", 401, "{}", "Unauthorized");
        else if (command == 'e')
            camera.setError(QStringLiteral("setNetworkSetting"), -32000, QStringLiteral("Busy"));
        else if (command == 'h')
            cloud.setReply("/account/authorize", 401, "{}", QByteArray(2 << 20, 'x'));
        else if (command == 'k')
            cloud.setBehaviour("/account/authorize", FakeCloudService::Behaviour::ChunkBomb);
        else if (command == 'l')
            cloud.setBehaviour("/account/authorize", FakeCloudService::Behaviour::Late);
        else if (command == 't')
            cloud.setReply("/accessToken", 200,
                           "{\"uuid\":\"user-0001\",\"accessToken\":\"" + QByteArray(500000, 't') + "\"}");
        else if (command == 'j')
            camera.setRawReply(QStringLiteral("setNetworkSetting"), "this is not JSON");
        else if (command == 'b')
            camera.setRawReply(QStringLiteral("getAPList"), QByteArray(70000, ' '));
        else if (command == 'n')
            answerNormally();
    }

    void answerNormally()
    {
        cloud.resetOutcomes();
        camera.setResponder(QStringLiteral("setNetworkSetting"), {});
        camera.setResponder(QStringLiteral("getAPList"), {});
    }
};

gboolean onUnplugSignal(gpointer simulation)
{
    static_cast<Simulation*>(simulation)->unplug();
    return G_SOURCE_CONTINUE;
}

gboolean onPlugSignal(gpointer simulation)
{
    static_cast<Simulation*>(simulation)->plug();
    return G_SOURCE_CONTINUE;
}

gboolean onStopSignal(gpointer process)
{
    auto* program = static_cast<QProcess*>(process);
    if (program->processId() > 0)
        kill(static_cast<pid_t>(program->processId()), SIGTERM);
    return G_SOURCE_CONTINUE;
}

QString defaultProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../../ravelo-setup"));
}

QProcessEnvironment programEnvironment(const Simulation& simulation)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("UMOCKDEV_DIR"), simulation.camera.rootDir());
    environment.insert(QStringLiteral("RAVELO_ACCOUNT_HOST"), simulation.cloud.accountHost());
    environment.insert(QStringLiteral("RAVELO_APP_HOST"), simulation.cloud.applicationHost());
    environment.insert(QStringLiteral("RAVELO_TERMS_HOST"), simulation.cloud.applicationHost());
    environment.insert(QStringLiteral("RAVELO_EXTRA_CA_CERTS"), FakeCloudService::certificateAuthorityFile());
    return environment;
}
}

int main(int argc, char* argv[])
{
    reexecUnderPreload(argv);
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const QString program =
        arguments.isEmpty() ? QFileInfo(defaultProgram()).canonicalFilePath() : arguments.takeFirst();

    Simulation simulation;
    simulation.camera.setNetworks({QStringLiteral("Ravelo-Home-5G"), QStringLiteral("Ravelo-Home-2.4G"),
                                   QStringLiteral("Cafe-Free-WiFi"), QStringLiteral("Office-Guest"),
                                   QStringLiteral("Tanaka-Family"), QStringLiteral("Sakura-Net"),
                                   QStringLiteral("Printer-Direct")});
    simulation.cameraHandle = simulation.camera.plug();
    if (!simulation.cloud.start()) {
        QTextStream(stderr) << "cannot start the local cloud service\n";
        return 1;
    }

    g_unix_signal_add(SIGUSR1, onUnplugSignal, &simulation);
    g_unix_signal_add(SIGUSR2, onPlugSignal, &simulation);
    g_unix_signal_add(SIGINT, onStopSignal, &simulation.program);
    g_unix_signal_add(SIGTERM, onStopSignal, &simulation.program);

    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        char text[64] = {};
        const ssize_t length = read(STDIN_FILENO, text, sizeof(text));
        if (length <= 0)
            commands.setEnabled(false);
        // Commands piped in together arrive in one read: each letter is one.
        for (ssize_t i = 0; i < length; ++i)
            simulation.obey(text[i]);
    });

    QObject::connect(
        &simulation.program, qOverload<int, QProcess::ExitStatus>(&QProcess::finished),
        [&](int exitCode, QProcess::ExitStatus status) { app.exit(status == QProcess::NormalExit ? exitCode : 1); });
    QObject::connect(&simulation.program, &QProcess::errorOccurred, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            QTextStream(stderr) << "cannot start " << program << '\n';
            app.exit(1);
        }
    });
    simulation.program.setProcessChannelMode(QProcess::ForwardedChannels);
    simulation.program.setProcessEnvironment(programEnvironment(simulation));
    QTextStream(stderr) << "Simulated camera and cloud service ready. Type u+Enter to unplug the camera, "
                           "p+Enter to plug it in again.\n";
    simulation.program.start(program, arguments);
    return app.exec();
}
