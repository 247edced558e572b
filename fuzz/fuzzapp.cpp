#include "fuzzapp.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStandardPaths>

namespace {

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
}

} // namespace

void startFuzzApplication(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and caches of a run stay out of the user's home.
    QStandardPaths::setTestModeEnabled(true);
    qInstallMessageHandler(dropMessage);
    new QApplication(*argc, *argv);
}
