// Takes the README's screenshots from the real main window: the menu panel,
// the route sheet of a route in the demo region, the map showing that
// route and the position on the replayed track, and the Map Regions and Map
// Services windows. Run by tools/screenshots.sh, which provides the display, a
// fresh home and the track. With --handheld, on the handheld's 800x480 display,
// only the route sheet, as the whole screen shows it. With --drive, only the
// map following the car while guiding (drive-view.png, or drive-view-LANG.png
// in the interface language LANG).
//   screenshots OUTPUT_DIR [--handheld | --drive [LANG]]
#include "app/mainwindow.h"
#include "app/mapservicelauncher.h"
#include "app/translations.h"
#include "directions/currdirectionsdlg.h"
#include "directions/directionsdlg.h"
#include "guidance/guidancebanner.h"
#include "guidance/navigation.h"
#include "platform/applicationmenu.h"
#include "regions/mapregionswindow.h"
#include "regions/mapservicesdialog.h"
#include "webservice/serverconfig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWebFrame>
#include <QWebPage>
#include <QTreeWidget>
#include <QWebView>
#include <cstdio>
#include <functional>

namespace {

bool waitFor(const std::function<bool()> &condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

// Lets the tiles that were asked for arrive and draw.
void settle(int ms)
{
    waitFor([] { return false; }, ms);
}

bool save(QWidget *widget, const QString &path)
{
    const bool ok = widget->grab().save(path);
    std::printf("screenshots: %s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}

QAction *menuEntry(QWidget *window, const QString &text)
{
    for (QAction *action : static_cast<MainWindow *>(window)->menuBar()->actions())
        if (action->text() == QCoreApplication::translate("MainWindow", text.toUtf8()))
            return action;
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName("Pelmark");
    QCoreApplication::setApplicationName("Marlu");
    QApplication app(argc, argv);
    const bool handheld = argc == 3 && QByteArray(argv[2]) == "--handheld";
    const bool driveOnly = (argc == 3 || argc == 4) && QByteArray(argv[2]) == "--drive";
    if (argc != 2 && !handheld && !driveOnly) {
        std::fprintf(stderr, "usage: screenshots OUTPUT_DIR [--handheld | --drive [LANG]]\n");
        return 2;
    }
    const QString language = driveOnly && argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (!language.isEmpty()) {
        QLocale::setDefault(QLocale(language));
        Translations::install(QLocale(language));
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));

    MapServiceLauncher launcher;
    const QUrl page = ServerConfig::url(ServerConfig::MapHostKey, "/gps2.html");
    if (MapServiceLauncher::isLocalDefault(page)
        && !launcher.ensureRunning(page, qEnvironmentVariable("MARLU_SERVICE"),
                                   QDir::temp().filePath("marlu-screenshots-service.log"), 60000))
        return 1;

    MainWindow window(nullptr);
    if (handheld)
        window.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    else
        window.resize(800, 480);
    auto *view = window.findChild<QWebView *>();
    bool loaded = false;
    QObject::connect(view, &QWebView::loadFinished, [&](bool ok) { loaded = ok; });
    window.show();
    if (!waitFor([&] { return loaded; }, 30000)) {
        std::fprintf(stderr, "screenshots: the map page did not load\n");
        return 1;
    }
    settle(5000);   // a few fixes of the track, and their tiles
    bool ok = true;
    if (!handheld && !driveOnly) {
        auto *menu = qobject_cast<ApplicationMenu *>(window.menuBar());
        menu->openPanel();
        settle(500);
        ok = save(&window, out.filePath("menu-panel.png"));
        menu->closePanel();
    }

    // The request form, answered as a user would, then the route sheet.
    bool sheetSaved = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *form = qobject_cast<DirectionsDlg *>(modal)) {
            form->findChild<QLineEdit *>("startEdit")->setText("La Condamine");
            form->findChild<QLineEdit *>("destinationEdit")->setText("Fontvieille, Monaco");
            form->findChild<QAbstractButton *>("okBtt")->click();
        } else if (auto *sheet = qobject_cast<CurrDirectionsDlg *>(modal)) {
            poll.stop();
            settle(500);
            if (driveOnly) {
                sheetSaved = true;
            } else if (handheld) {
                const QString path = out.filePath("route-sheet-800x480.png");
                sheetSaved = sheet->screen()->grabWindow(0).save(path);
                std::printf("screenshots: %s %s\n", sheetSaved ? "saved" : "could not save", qPrintable(path));
            } else {
                sheetSaved = save(sheet, out.filePath("route-sheet.png"));
            }
            sheet->close();
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            poll.stop();
            std::fprintf(stderr, "screenshots: no route: %s\n", qPrintable(box->text()));
            box->close();
        }
    });
    poll.start(200);
    menuEntry(&window, "Directions")->trigger();
    waitFor([&] { return !poll.isActive(); }, 30000);

    // Following the car along that route, once it is under way.
    if (driveOnly) {
        // Turned to the way ahead, as a driver would have it.
        menuEntry(&window, "Auto Rotate")->trigger();
        auto *navigation = window.findChild<Navigation *>();
        const bool following = waitFor([&] { return navigation->drivesView(); }, 150000);
        settle(12000);   // a few fixes on, and the tiles of the drive view's zoom
        const QString name = language.isEmpty() ? "drive-view.png" : "drive-view-" + language.left(2) + ".png";
        return following && sheetSaved && save(&window, out.filePath(name)) ? 0 : 1;
    }
    // The route on the map, with the own position on the replayed track.
    if (!handheld) {
        settle(3000);
        ok = save(&window, out.filePath("main-window.png")) && ok;

        // Guidance along that route: the banner once the drive is under way.
        auto *banner = window.findChild<GuidanceBanner *>();
        const bool guided = waitFor([&] { return banner->isVisible() && !banner->distanceText().isEmpty(); }, 30000);
        settle(1500);
        ok = guided && save(&window, out.filePath("guidance-banner.png")) && ok;

        // The saved places (tools/screenshots.sh writes them) and the track
        // recorded during the drive, each list at the handheld's size; then
        // the track shown on the map with the places' marks.
        auto shootList = [&](const QString &entry, const QString &file, bool showFirst) {
            bool saved = false;
            QTimer::singleShot(0, [&] {
                QWidget *list = QApplication::activeModalWidget();
                if (!list)
                    return;
                list->resize(800, 480);
                settle(500);
                saved = save(list, out.filePath(file));
                if (auto *show = list->findChild<QPushButton *>("showBtt"); show && showFirst && show->isEnabled())
                    show->click();
                else
                    list->close();
            });
            menuEntry(&window, entry)->trigger();
            return saved;
        };
        ok = shootList("Places", "places.png", false) && ok;
        ok = shootList("Tracks", "tracks.png", true) && ok;
        // Out to where the saved places are.
        view->page()->mainFrame()->evaluateJavaScript("map.setZoom(14);");
        settle(3000);
        ok = save(&window, out.filePath("places-map.png")) && ok;
    }

    // The regions as the service lists them, then the choice of services; on
    // the handheld the whole screen, to show the map beside the sheet.
    const auto shoot = [&](QWidget *w, const QString &name) {
        if (!handheld)
            return save(w, out.filePath(name + ".png"));
        const QString path = out.filePath(name + "-800x480.png");
        const bool saved = w->screen()->grabWindow(0).save(path);
        std::printf("screenshots: %s %s\n", saved ? "saved" : "could not save", qPrintable(path));
        return saved;
    };
    menuEntry(&window, "Map Regions")->trigger();
    auto *regions = window.findChild<MapRegionsWindow *>();
    ok = regions && waitFor([&] { return !regions->regions().isEmpty(); }, 10000) && ok;
    if (regions) {
        auto *list = regions->findChild<QTreeWidget *>("regionList");
        if (handheld && list->topLevelItemCount() > 0)
            list->setCurrentItem(list->topLevelItem(0));   // the map moves to it
        settle(handheld ? 3000 : 500);
        ok = shoot(regions, "map-regions") && ok;
        regions->close();
    }
    bool servicesSaved = false;
    QTimer::singleShot(0, [&] {
        auto *services = qobject_cast<MapServicesDialog *>(QApplication::activeModalWidget());
        if (!services)
            return;
        auto *box = services->findChild<QDialogButtonBox *>();
        // Shown once the service said which services it uses.
        if (waitFor([&] { return box->button(QDialogButtonBox::Save)->isEnabled(); }, 10000)) {
            settle(500);
            servicesSaved = shoot(services, "map-services");
        }
        services->reject();
    });
    menuEntry(&window, "Map Services")->trigger();
    ok = servicesSaved && ok;
    return ok && sheetSaved ? 0 : 1;
}
