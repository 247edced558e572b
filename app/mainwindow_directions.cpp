// Directions: from the request form to a route on the map and its sheet.
#include "mainwindow.h"

void MainWindow::directions()
{
}
