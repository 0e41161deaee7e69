#include "BearerPlugins.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QStringList>

namespace BearerPlugins {

// The plugins are looked for once, when the first manager is made: with no plugin
// folder to look in then, none is found, and later managers look no more.
void neverLoad()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList folders = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    {
        QNetworkAccessManager first;
    }
    QCoreApplication::setLibraryPaths(folders);
#endif
}

}
