// The application menu: map types, layers, accuracy, the base window's
// entries and the position update rate in their fixed places, then this
// project's own entries (Clear Marks, About).
#include "mainwindow.h"

#include "app/aboutbox.h"
#include "platform/pickselectoraction.h"

#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QSettings>

namespace {
const char *const MapTypeIds[] = {"HYBRID", "ROADMAP", "SATELLITE", "TERRAIN"};
const int MapTypeCount = 4;
// The rates onSourceUpdates knows, the picker's entries among them.
const int UpdateRateCount = 13;
}

void MainWindow::createMenu()
{
    QSettings settings;
    QMenuBar *menu = menuBar();

    const int mode = settings.value("Mode", 1).toInt();
    m_viewGroup = new QActionGroup(this);
    m_viewGroup->setExclusive(true);
    const QString names[] = {tr("Hybrid"), tr("Road Map"), tr("Satellite"), tr("Terrain")};
    for (int i = 0; i < MapTypeCount; ++i) {
        QAction *action = new QAction(names[i], m_viewGroup);
        action->setCheckable(true);
        action->setChecked(mode == i);
    }
    menu->addActions(m_viewGroup->actions());
    connect(m_viewGroup, &QActionGroup::triggered, this, &MainWindow::onViewChanged);
    setView(mode);

    QAction *directionsAction = menu->addAction(tr("Directions"), this, &MainWindow::directions);
    directionsAction->setShortcut(Qt::CTRL + Qt::Key_D);
    // Address search has no other way in.
    QAction *findAction = menu->addAction(tr("Find Address"), this, &MainWindow::find);
    findAction->setShortcut(Qt::CTRL + Qt::Key_F);

    const bool traffic = settings.value("TrafficLayer", false).toBool();
    const bool bicycling = settings.value("BicyclingLayer", false).toBool();

    m_trafficLayerAction = menu->addAction(tr("Traffic Layer"), this, &MainWindow::onTrafficLayer);
    m_trafficLayerAction->setCheckable(true);
    m_trafficLayerAction->setChecked(traffic);

    m_bicyclingLayerAction = menu->addAction(tr("Bicycling Layer"), this, &MainWindow::onBicyclingLayer);
    m_bicyclingLayerAction->setCheckable(true);
    m_bicyclingLayerAction->setChecked(bicycling);

    m_showAccuracyAction = menu->addAction(tr("Show Accuracy"), this, &MainWindow::onShowAccuracy);
    m_showAccuracyAction->setCheckable(true);
    m_showAccuracyAction->setChecked(false);

    // Turning the map by heading needs a switch of its own; not saved, like accuracy.
    m_autoRotateAction = menu->addAction(tr("Auto Rotate"), this, &MainWindow::onAutoRotate);
    m_autoRotateAction->setCheckable(true);
    m_autoRotateAction->setChecked(false);

    if (traffic)
        onTrafficLayer();
    if (bicycling)
        onBicyclingLayer();

    addFullscreenToMenu();
    addOrientationToMenu();

    m_updateModeAction = new PickSelectorAction(this);
    m_updateModeAction->setText(tr("Position Updates"));
    m_updateModeAction->items() << tr("Off") << tr("every second") << tr("every 2 seconds")
                                << tr("every 5 seconds") << tr("every 10 seconds")
                                << tr("every 15 seconds") << tr("every 30 seconds");
    // A saved rate past the picker's entries but in the rate table is brought to
    // the nearest entry, so that it does not run unseen. Anything else (past the
    // table, negative, not a number) means off and stays saved as it is: only the
    // user's pick switches the receiver on and overwrites it.
    bool isNumber = false;
    const int saved = settings.value("UpdateMode", 0).toInt(&isNumber);
    const int shownEntries = m_updateModeAction->items().size();
    const bool inTable = isNumber && saved >= 0 && saved < UpdateRateCount;
    const int updateMode = inTable ? qMin(saved, shownEntries - 1) : 0;
    m_updateModeAction->setSelectedIndex(updateMode);
    connect(m_updateModeAction, &PickSelectorAction::selectionChanged, this, &MainWindow::onSourceUpdates);
    menu->addAction(m_updateModeAction);

    menu->addAction(tr("Clear Marks"), this, &MainWindow::clearMarks);
    menu->addAction(tr("About"), this, [this] { AboutBox(this).exec(); });
    createRegionsMenu();
    addVoiceGuidanceEntry(menu);
    createPlacesMenu(menu);

    if (inTable)
        onSourceUpdates(updateMode);
    else
        m_geoLocation.setUpdatesPerHour(0);
}

void MainWindow::setView(int view)
{
    if (view < 0 || view >= MapTypeCount)
        return;
    QSettings settings;
    settings.setValue("Mode", view);
    runJavascript(QString("map.setMapTypeId(google.maps.MapTypeId.") + MapTypeIds[view] + ");");
}

void MainWindow::onViewChanged(QAction *action)
{
    setView(m_viewGroup->actions().indexOf(action));
}

void MainWindow::onTrafficLayer()
{
    QSettings settings;
    const bool on = m_trafficLayerAction->isChecked();
    settings.setValue("TrafficLayer", on);
    if (on)
        runJavascript("trafficLayer = new google.maps.TrafficLayer(); trafficLayer.setMap(map);");
    else
        runJavascript("if (trafficLayer) { trafficLayer.setMap(null); trafficLayer=null; }");
}

void MainWindow::onBicyclingLayer()
{
    QSettings settings;
    const bool on = m_bicyclingLayerAction->isChecked();
    settings.setValue("BicyclingLayer", on);
    if (on)
        runJavascript("bikeLayer = new google.maps.BicyclingLayer(); bikeLayer.setMap(map);");
    else
        runJavascript("if (bikeLayer) { bikeLayer.setMap(null); bikeLayer=null; }");
}
