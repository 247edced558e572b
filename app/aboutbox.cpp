#include "aboutbox.h"

AboutBox::AboutBox(QWidget *parent)
    : QMessageBox(parent)
{
    setWindowTitle(tr("About Marlu"));
    setIconPixmap(QPixmap(":/images/marlu.png"));
    setTextFormat(Qt::PlainText);
    setText(tr("Marlu %1\nMap and navigation").arg(MARLU_VERSION));
    setInformativeText(
        tr("Licensed under the GNU General Public License, version 3 or later.\n\n"
           "Map data \u00a9 OpenStreetMap contributors (ODbL).\n"
           "Places from GeoNames (CC BY 4.0).\n"
           "Country shapes from Natural Earth.\n"
           "Satellite imagery: NASA Blue Marble.\n"
           "Routes by Routino; the map page uses Leaflet."));
    setStandardButtons(QMessageBox::Close);
}
