// Cost of opening the route sheet on one 2,000-step route: building the dialog,
// which strips the markup of every instruction, against filling a bare list
// widget with 2,000 plain strings. Run offscreen: QT_QPA_PLATFORM=offscreen.
#include "directions/currdirectionsdlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

static Directions longRoute(int steps)
{
    static const char *const roads[] = {"Main St", "Oak Ave", "I-95 N", "Route 1", "Harbor Blvd"};
    static const char *const turns[] = {"left", "right", "slight left", "slight right"};
    Directions route;
    route.summary = "I-95 N";
    route.copyrights = "Map data ©2010 Google";
    for (int i = 0; i < steps; ++i) {
        const QString road = roads[i % 5];
        QString text;
        switch (i % 4) {
        case 0:
            text = QString("Head <b>north</b> on <b>%1</b> toward <b>%2</b>").arg(road, roads[(i + 1) % 5]);
            break;
        case 1:
            text = QString("Turn <b>%1</b> onto <b>%2</b><div style=\"font-size:0.9em\">Pass by the gas "
                           "station (on the left in 0.3&nbsp;mi)</div>").arg(turns[i % 4], road);
            break;
        case 2:
            text = QString("Take exit <b>%1</b> to merge onto <b>%2</b> toward <b>Boston</b>").arg(i).arg(road);
            break;
        default:
            text = QString("Continue onto <b>%1</b><div style=\"font-size:0.9em\">Destination will be on "
                           "the right</div>").arg(road);
        }
        Step step;
        step.setDescription(text);
        step.setCoordinates(40 + i * 1e-4, -74 - i * 1e-4);
        step.m_distance = 120 + i;
        step.m_distanceText = "0.1 mi";
        step.m_duration = 30;
        step.m_durationText = "1 min";
        step.m_maneuver = i % 4 == 1 ? "turn-left" : "";
        route.steps << step;
    }
    return route;
}

static double medianMs(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    return ns[ns.size() / 2] / 1e6;
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int steps = 2000, runs = 21;
    const QList<Directions> routes{longRoute(steps)};
    QStringList plain;
    for (int i = 0; i < steps; ++i)
        plain << QString("Head north on Main St toward Oak Ave, step %1").arg(i);

    std::vector<qint64> sheet, list;
    QElapsedTimer clock;
    int listed = 0;
    for (int i = 0; i < runs; ++i) {
        {
            clock.start();
            CurrDirectionsDlg dlg(routes, nullptr);
            sheet.push_back(clock.nsecsElapsed());
            listed = dlg.findChild<QListWidget *>("directionsList")->count();
        }
        {
            clock.start();
            QListWidget widget;
            for (const QString &line : plain)
                widget.addItem(line);
            list.push_back(clock.nsecsElapsed());
        }
    }
    if (listed != steps) {
        std::fprintf(stderr, "expected %d rows, got %d\n", steps, listed);
        return 1;
    }
    const double s = medianMs(sheet), l = medianMs(list);
    std::printf("route sheet, %d steps:     %8.2f ms (median of %d)\n", steps, s, runs);
    std::printf("plain list widget, %d rows: %8.2f ms (median of %d)\n", steps, l, runs);
    std::printf("ratio: %.2f (target <= 2)\n", s / l);
    std::printf("#bench\troute sheet, 2,000 steps vs a plain list (ms)\t%.2f\t%.2f\tratio<=2\n", s, l);
    return 0;
}
