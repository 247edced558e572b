#include "app/mainwindow.h"
#include "app/mapservicelauncher.h"
#include "app/translations.h"
#include "handover/geouri.h"
#include "handover/instancebus.h"
#include "webservice/serverconfig.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cstdio>

namespace {

struct MapService {
    QString script;
    QString data;   // empty: the service's own default (or $MARLU_DATA)
};

// The service beside an installed binary, which keeps its data in the user's
// data folder, seeded from the package; or the one of the source tree it was
// built from, with the data the set-up built into that tree's build folder.
MapService mapService()
{
    const QString given = qEnvironmentVariable("MARLU_SERVICE");
    if (!given.isEmpty())
        return {given, QString()};
    const QString installed = QCoreApplication::applicationDirPath()
        + "/" MARLU_INSTALLED_SHARE "/services/mapservice.py";
    if (QFileInfo(installed).isFile())
        return {QDir::cleanPath(installed), QString()};
    return {QStringLiteral(MARLU_SOURCE_SERVICE),
            qEnvironmentVariableIsSet("MARLU_DATA") ? QString() : QStringLiteral(MARLU_SOURCE_DATA)};
}

// Parsed by a core application before the GUI one exists, so that --help
// and --version need no display. Returns an exit code, or -1 to go on.
int parseCommandLine(int argc, char *argv[], QStringList *links)
{
    QCoreApplication core(argc, argv);
    const QStringList arguments = core.arguments();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Marlu: a map and navigation application. It shows the map, follows the GPS "
        "position, finds addresses and draws routes with their steps.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption nmea("nmea", "Replay the NMEA log FILE as the GPS position.",
                                  "FILE");
    parser.addOption(nmea);
    parser.addPositionalArgument("links", "geo: links (geo:47.14,9.52, geo:0,0?q=Vaduz) and GPX files to open.",
                                 "[geo:LINK | FILE.gpx ...]");
    // Qt's own options (-platform, -style, ...) are QApplication's to read.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const bool parsed = parser.parse(arguments);
    if (parsed && parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parsed && parser.isSet(version)) {
        std::printf("Marlu %s\n", MARLU_VERSION);
        return 0;
    }
    if (!parsed && !parser.unknownOptionNames().isEmpty()) {
        // Unknown options may be Qt's own, which QApplication reads; any other
        // ends the run here, before anything needs a display.
        bool unknown = false;
        for (const QString &name : parser.unknownOptionNames()) {
            if (name != "platform" && name != "style" && name != "display" && name != "geometry"
                && !name.startsWith("qwindow") && name != "reverse" && name != "stylesheet") {
                std::fprintf(stderr, "marlu: unknown option '%s' (see marlu --help)\n",
                             qPrintable(name));
                unknown = true;
            }
        }
        if (unknown)
            return 2;
    } else if (!parsed) {
        std::fprintf(stderr, "marlu: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parsed && parser.isSet(nmea)) {
        const QFileInfo log(parser.value(nmea));
        if (!log.isFile() || !log.isReadable()) {
            std::fprintf(stderr, "marlu: cannot read the NMEA log %s\n",
                         qPrintable(parser.value(nmea)));
            return 2;
        }
        qputenv("MARLU_NMEA_FILE", QFile::encodeName(log.absoluteFilePath()));
    }
    // Files are named for the instance that may take them over, whatever its folder.
    for (const QString &argument : parser.positionalArguments())
        *links << (GeoUri::isGeoUri(argument) ? argument : QFileInfo(argument).absoluteFilePath());
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName("Pelmark");
    QCoreApplication::setApplicationName("Marlu");
    QCoreApplication::setApplicationVersion(MARLU_VERSION);
    QStringList links;
    const int done = parseCommandLine(argc, argv, &links);
    if (done >= 0)
        return done;

    // The page paints in software; without this the first window to show
    // loads the GL stack (about 50 MiB) only to probe for a surface it never uses.
    QApplication::setAttribute(Qt::AA_ForceRasterWidgets);
    QApplication app(argc, argv);
    Translations::install(QLocale::system());
    // A second start hands its links to the running window and ends.
    InstanceBus instance;
    if (!instance.claim() && InstanceBus::handOver(links)) {
        qDebug() << "handed over to the running Marlu:" << links;
        return 0;
    }
    // The position plugin: in the application's own folder when installed,
    // built beside the binary for runs straight from the build.
    const QString binDir = QCoreApplication::applicationDirPath();
    QCoreApplication::addLibraryPath(QDir::cleanPath(binDir + "/" MARLU_INSTALLED_PLUGINS));
    QCoreApplication::addLibraryPath(binDir + "/plugins");

    // When the page comes from the local default host and nothing answers there,
    // the map service starts beside the window, which loads the page once it
    // answers; if it cannot start, the window asks as for a page that failed.
    MapServiceLauncher launcher;
    const QUrl page = ServerConfig::url(ServerConfig::MapHostKey, "/gps2.html");
    if (MapServiceLauncher::isLocalDefault(page)) {
        const QString logDir = QDir::homePath() + "/.marlu";
        QDir().mkpath(logDir);
        const MapService service = mapService();
        launcher.setDataFolder(service.data);
        launcher.start(page, service.script, logDir + "/mapservice.log");
    }

    MainWindow window(nullptr, MapServiceLauncher::isLocalDefault(page) ? &launcher : nullptr);
    window.show();
    qDebug() << "window shown";
    QObject::connect(&instance, &InstanceBus::opened, &window, &MainWindow::openLinks);
    if (!links.isEmpty())
        window.openLinks(links);
    return app.exec();
}
