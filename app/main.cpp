#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Pelmark");
    QCoreApplication::setApplicationName("Marlu");
    // The position plugin built beside the binary, for runs straight from the build.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() + "/plugins");

    MainWindow window(nullptr);
    window.show();
    return app.exec();
}
