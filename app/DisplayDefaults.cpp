#include "DisplayDefaults.h"

#include <QCoreApplication>
#include <QtGlobal>

DisplayDefaults::DisplayDefaults()
{
    // The screens draw nothing with OpenGL. For windows that might, Qt 5's X platform
    // loads the system's GL driver as the first one opens: half the start-up time, and
    // Mesa's software driver loses memory when it is unloaded at exit.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        QCoreApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    // Qt 5 tries X alone and aborts on a session that has only a Wayland display.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        setUnlessSet("QT_QPA_PLATFORM", "wayland;xcb");
}

DisplayDefaults::~DisplayDefaults()
{
    for (const char* name : m_set)
        qunsetenv(name);
}

void DisplayDefaults::setUnlessSet(const char* name, const QByteArray& value)
{
    if (qEnvironmentVariableIsSet(name))
        return;
    qputenv(name, value);
    m_set.append(name);
}
