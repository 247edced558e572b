#include "currdirectionsdlg.h"

#include "directions/maneuver.h"
#include "directions/stepdelegate.h"
#include "directions/tripfigures.h"
#include "platform/screenfit.h"
#include "platform/windowfitter.h"
#include "ui_currdirectionsdlg.h"

#include <QHash>
#include <QStringList>

static bool opensTag(QChar c)
{
    return c == QLatin1Char('/') || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
           || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

// The instructions arrive as HTML; the list shows them as plain text. The result
// is that of replacing every match of "<[/A-Za-z][a-zA-Z0-9]*[^>]*>" with one
// space, then every match of "\s\s" (QChar::isSpace) with one space in a single
// left-to-right pass. Written out by hand: the two regular expressions made a
// long route sheet some twenty times slower to open than a plain list.
static QString plainInstruction(QString text)
{
    QChar *s = text.data();
    const int n = text.size();

    int end = 0;
    for (int r = 0; r < n;) {
        if (s[r] == QLatin1Char('<') && r + 1 < n && opensTag(s[r + 1])) {
            int close = r + 2;
            while (close < n && s[close] != QLatin1Char('>'))
                ++close;
            if (close < n) {
                s[end++] = QLatin1Char(' ');
                r = close + 1;
                continue;
            }
            // No '>' follows, so no later '<' starts a tag either.
            while (r < n)
                s[end++] = s[r++];
            break;
        }
        s[end++] = s[r++];
    }

    // Pairs, not runs: three spaces become two.
    int kept = 0;
    for (int r = 0; r < end;) {
        if (r + 1 < end && s[r].isSpace() && s[r + 1].isSpace()) {
            s[kept++] = QLatin1Char(' ');
            r += 2;
        } else {
            s[kept++] = s[r++];
        }
    }
    text.truncate(kept);
    return text;
}

CurrDirectionsDlg::CurrDirectionsDlg(QList<Directions> routes, QWidget *parent)
    : QDialog(parent)
    , ui(new Ui_CurrDirectionsDlg)
{
    m_routes = routes;
    ui->setupUi(this);
    // The copyright notice comes from the web service: show it, never interpret it.
    ui->copyrightLbl->setTextFormat(Qt::PlainText);
    ui->tripLbl->setTextFormat(Qt::RichText);
    Q_INIT_RESOURCE(res);
    m_stepDelegate = new StepDelegate(ui->directionsList);
    ui->directionsList->setItemDelegate(m_stepDelegate);
    // Long instructions wrap beside their icon; the figures keep their column
    // at the right edge, with no sideways scrolling that would hide the icons.
    ui->directionsList->setWordWrap(true);
    ui->directionsList->setResizeMode(QListView::Adjust);
    ui->directionsList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->directionsList->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Long texts wrap or shorten rather than widen the sheet past the screen.
    ui->tripLbl->setWordWrap(true);
    ui->copyrightLbl->setWordWrap(true);
    ui->routesCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ui->routesCombo->setMinimumContentsLength(12);
    ui->routesCombo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (const Directions &route : qAsConst(m_routes))
        ui->routesCombo->addItem(route.summary);
    nameRoutes();
    ui->routesCombo->setVisible(m_routes.size() >= 2);
    showTrips();
    ui->copyrightLbl->setStyleSheet(QStringLiteral("QLabel{font: 'Nokia Sans'; font-size: 8pt;}"));
}

CurrDirectionsDlg::~CurrDirectionsDlg()
{
    delete ui;
}

int CurrDirectionsDlg::selectedIndex() const
{
    return ui->routesCombo->currentIndex();
}

bool CurrDirectionsDlg::selectRoute(int index)
{
    if (index < 0 || index >= m_routes.size())
        return false;
    ui->routesCombo->setCurrentIndex(index);
    return true;
}

void CurrDirectionsDlg::setImperial(bool imperial)
{
    m_imperial = imperial;
    nameRoutes();
    showTrips();
}

void CurrDirectionsDlg::setTrip(const QString &mode, const QString &start, const QString &destination)
{
    QString how;
    if (mode == QLatin1String("walking"))
        how = tr("Walking");
    else if (mode == QLatin1String("bicycling"))
        how = tr("Cycling");
    else
        how = tr("Driving");
    m_tripEnds = tr("%1 from %2 to %3").arg(how, start, destination);
    showTrips();
}

// Alternatives with the same summary are told apart by their lengths.
void CurrDirectionsDlg::nameRoutes()
{
    QHash<QString, int> uses;
    for (const Directions &route : qAsConst(m_routes))
        ++uses[route.summary];
    for (int i = 0; i < m_routes.size() && i < ui->routesCombo->count(); ++i) {
        const Directions &route = m_routes.at(i);
        QString name = route.summary;
        if (uses.value(route.summary) > 1) {
            qint64 metres = 0;
            for (const Step &step : route.steps)
                metres += qMax(0, step.m_distance);
            name = tr("%1, %2").arg(route.summary, TripFigures::distance(metres, m_imperial));
        }
        ui->routesCombo->setItemText(i, name);
    }
}

void CurrDirectionsDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ScreenFit::fit(this);
    // Fitted again once the window manager has framed it.
    WindowFitter::fitShown(this);
}

// One line per alternative above the steps, the shown one in bold; with a
// single route, just its line. The texts come from the service: escaped.
void CurrDirectionsDlg::showTrips()
{
    const int selected = selectedIndex();
    QStringList lines;
    for (int i = 0; i < m_routes.size(); ++i) {
        QString line = TripFigures::routeLine(m_routes.at(i), m_imperial);
        if (m_routes.size() >= 2)
            line = tr("%1. %2").arg(i + 1).arg(line);
        line = line.toHtmlEscaped();
        lines << (i == selected ? "<b>" + line + "</b>" : line);
    }
    if (!m_tripEnds.isEmpty())
        lines.prepend(m_tripEnds.toHtmlEscaped());
    ui->tripLbl->setText(lines.join(QStringLiteral("<br>")));
    ui->tripLbl->setVisible(!lines.join(QString()).isEmpty());
}

void CurrDirectionsDlg::on_clearBtt_clicked()
{
    m_action = Clear;
    accept();
}

void CurrDirectionsDlg::on_newBtt_clicked()
{
    m_action = New;
    accept();
}

void CurrDirectionsDlg::on_recalculateBtt_clicked()
{
    m_action = Recalculate;
    accept();
}

void CurrDirectionsDlg::on_routesCombo_currentIndexChanged(int index)
{
    ui->directionsList->clear();
    m_stepDelegate->setSteps({});
    showTrips();
    if (index < 0 || index >= m_routes.size())
        return;
    const Directions &route = m_routes.at(index);
    QStringList lines;
    lines.reserve(route.steps.size());
    // In the interface language where a template fits the maneuver.
    for (const Step &step : route.steps) {
        const Maneuver maneuver(step);
        lines << (maneuver.fits() ? maneuver.sheetText() : plainInstruction(step.description()));
    }
    m_stepDelegate->setSteps(route.steps, m_imperial);
    ui->directionsList->addItems(lines);

    if (!route.copyrights.isEmpty()) {
        ui->copyrightLbl->setText(route.copyrights);
        ui->copyrightLbl->show();
    } else {
        ui->copyrightLbl->hide();
    }
}
