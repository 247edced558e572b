#include "guidancebanner.h"

#include "directions/maneuver.h"
#include "guidance/guidance.h"
#include "guidance/maneuvertext.h"

#include <cmath>

#include <QEvent>
#include <QFontMetrics>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <QTime>
#include <QTimer>

namespace {
const QColor Background(20, 60, 40);
const int Margin = 8;
const int IconSide = 40;
const int BigPx = 22;
const int MiddlePx = 17;
const int SmallPx = 13;
}

static QString speedFor(double metresPerSecond, bool imperial)
{
    if (!std::isfinite(metresPerSecond) || metresPerSecond < 0)
        return QString();
    return imperial ? GuidanceBanner::tr("%1 mph").arg(qRound(metresPerSecond * 2.2369363))
                    : GuidanceBanner::tr("%1 km/h").arg(qRound(metresPerSecond * 3.6));
}

GuidanceBanner::GuidanceBanner(QWidget *parent)
    : QWidget(parent)
    , m_arrivalTimer(new QTimer(this))
    , m_clockTimer(new QTimer(this))
{
    setObjectName("guidanceBanner");
    // Opaque: its repaint never reaches the map beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_arrivalTimer->setSingleShot(true);
    m_arrivalTimer->setInterval(ArrivalShownMs);
    connect(m_arrivalTimer, &QTimer::timeout, this, &QWidget::hide);
    m_clockTimer->setInterval(10000);
    connect(m_clockTimer, &QTimer::timeout, this, [this] {
        if (isVisible() && !m_trip.isEmpty())
            setContent(m_iconFile, m_distance, m_instruction, m_then,
                       tripFor(m_tripRemaining, m_tripSeconds, m_tripImperial), m_speed);
    });
    m_big = font();
    m_big.setPixelSize(BigPx);
    m_big.setBold(true);
    m_middle = font();
    m_middle.setPixelSize(MiddlePx);
    m_bold = m_middle;
    m_bold.setBold(true);
    m_small = font();
    m_small.setPixelSize(SmallPx);
    const QFontMetrics big(m_big);
    for (const QString &sample : {ManeuverText::distance(880, false), ManeuverText::distance(8800, false),
                                  ManeuverText::distance(88000, false), ManeuverText::distance(150, true),
                                  ManeuverText::distance(8800, true), ManeuverText::distance(0, false)})
        m_minColumn = qMax(m_minColumn, big.horizontalAdvance(sample));
    hide();
}

QSize GuidanceBanner::sizeHint() const
{
    return QSize(800, Margin + BigPx + 6 + 2 * (SmallPx + 6) + Margin);
}

void GuidanceBanner::showProgress(const Guidance &guidance)
{
    const RouteProgress::State &state = guidance.state();
    if (!state.matched)
        return;
    m_arrivalTimer->stop();
    m_tripRemaining = state.remaining;
    m_tripSeconds = state.remainingSeconds;
    m_tripImperial = guidance.imperial();
    m_clockTimer->start();
    const QList<Step> &steps = guidance.route().steps;
    const int next = guidance.nextManeuver();
    const bool imperial = guidance.imperial();
    const bool maneuver = next >= 0 && next < steps.size();
    const int then = guidance.thenManeuver();
    // The instruction stays for many fixes; its markup is read once.
    QString instruction;
    if (maneuver) {
        const QString description = steps.at(next).description();
        if (description != m_descriptionShown || m_richShown.isEmpty()) {
            m_descriptionShown = description;
            m_richShown = Maneuver(steps.at(next)).richWords();
        }
        instruction = m_richShown;
    } else {
        instruction = ManeuverText::arrivalAhead().toHtmlEscaped();
    }
    setContent(maneuver ? Maneuver::iconFile(steps.at(next).m_maneuver) : QString(),
               ManeuverText::distance(state.toManeuver, imperial), instruction,
               then >= 0 && then < steps.size() ? ManeuverText::then(ManeuverText::action(steps.at(then)))
                                                : QString(),
               tripFor(state.remaining, state.remainingSeconds, imperial), speedFor(guidance.speed(), imperial));
    if (!isVisible()) {
        show();
        raise();
    }
}

// The bottom line changes when what it shows does: a new tenth of a
// kilometre, minute or arrival minute; otherwise the last one is kept.
QString GuidanceBanner::tripFor(double remaining, double seconds, bool imperial)
{
    const QString distance = ManeuverText::distance(remaining, imperial);
    const QString duration = ManeuverText::duration(seconds);
    const QTime arrival = QTime::currentTime().addSecs(int(seconds));
    const int minute = arrival.hour() * 60 + arrival.minute();
    if (distance != m_tripDistance || duration != m_tripDuration || minute != m_tripArrival || m_tripShown.isEmpty()) {
        m_tripDistance = distance;
        m_tripDuration = duration;
        m_tripArrival = minute;
        m_tripShown = tr("%1 · %2 · arrival %3")
                          .arg(distance, duration,
                               QLocale().toString(arrival, QLocale().timeFormat(QLocale::ShortFormat).remove(":ss")));
    }
    return m_tripShown;
}

void GuidanceBanner::showArrival()
{
    m_clockTimer->stop();
    setContent(QString(), QString(), ManeuverText::youHaveArrived().toHtmlEscaped(), QString(), QString());
    show();
    raise();
    m_arrivalTimer->start();
}

void GuidanceBanner::setContent(const QString &icon, const QString &distance, const QString &instruction,
                                const QString &then, const QString &trip, const QString &speed)
{
    int changed = 0;
    if (icon != m_iconFile || instruction != m_instruction)
        changed = AllParts;
    if (distance != m_distance) {
        // The instruction moves only when a distance needs more room than the usual ones.
        const int column = distance.isEmpty() ? 0 : qMax(m_minColumn, QFontMetrics(m_big).horizontalAdvance(distance));
        changed |= column != m_column ? AllParts : DistancePart;
        m_column = column;
    }
    if (then != m_then)
        changed |= ThenPart;
    if (trip != m_trip || speed != m_speed)
        changed |= TripPart;
    if (!changed)
        return;
    if (icon != m_iconFile)
        m_icon = icon.isEmpty() ? QPixmap() : QPixmap(icon);
    m_iconFile = icon;
    m_distance = distance;
    m_instruction = instruction;
    m_then = then;
    m_trip = trip;
    m_speed = speed;
    m_stale |= changed;
    if ((changed & AllParts) == AllParts) {
        update();
        return;
    }
    for (Part part : {DistancePart, ThenPart, TripPart})
        if (changed & part)
            update(partRect(part));
}

void GuidanceBanner::place(const QRect &area)
{
    setGeometry(area.x(), area.y(), area.width(), qMin(sizeHint().height(), area.height() / 5));
}

int GuidanceBanner::distanceLeft() const
{
    return m_iconFile.isEmpty() ? Margin : Margin + IconSide + Margin;
}

QRect GuidanceBanner::partRect(Part part) const
{
    const int line = Margin + BigPx + 6;
    switch (part) {
    case DistancePart:
        return QRect(distanceLeft(), Margin, m_column, BigPx + 6);
    case ThenPart:
        return QRect(Margin + IconSide + Margin, line, width(), SmallPx + 6);
    case TripPart:
        return QRect(0, line + SmallPx + 6, width(), SmallPx + 6);
    default:
        return rect();
    }
}

void GuidanceBanner::render(int parts)
{
    if (m_picture.isNull()) {
        m_picture = QPixmap(size() * devicePixelRatioF());
        m_picture.setDevicePixelRatio(devicePixelRatioF());
        parts = AllParts;
    }
    const bool all = (parts & AllParts) == AllParts;
    QPainter p(&m_picture);
    p.setRenderHint(QPainter::Antialiasing);
    if (all) {
        p.fillRect(rect(), Background);
    } else {
        for (Part part : {DistancePart, ThenPart, TripPart})
            if (parts & part)
                p.fillRect(partRect(part), Background);
    }
    p.setPen(Qt::white);
    if (all && !m_icon.isNull())
        p.drawPixmap(QRect(Margin, Margin, IconSide, IconSide), m_icon);
    if (all || (parts & DistancePart)) {
        p.setFont(m_big);
        p.drawText(partRect(DistancePart), Qt::AlignLeft | Qt::AlignVCenter, m_distance);
    }
    if (all)
        renderInstruction(p, m_distance.isEmpty() ? distanceLeft() : distanceLeft() + m_column + 2 * Margin);
    p.setFont(m_small);
    if (all || (parts & ThenPart))
        p.drawText(partRect(ThenPart), Qt::AlignLeft | Qt::AlignVCenter, m_then);
    if (all || (parts & TripPart)) {
        p.drawText(partRect(TripPart).adjusted(0, 0, -Margin, 0), Qt::AlignRight | Qt::AlignVCenter, m_trip);
        p.drawText(partRect(TripPart).adjusted(Margin, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, m_speed);
    }
}

// The instruction holds plain text and bold only (Maneuver::richWords): drawn
// piece by piece, which costs far less than a text document.
void GuidanceBanner::renderInstruction(QPainter &p, int x)
{
    const int top = Margin;
    p.save();
    p.setClipRect(QRect(x, top, width() - x - Margin, BigPx + 6));
    static const QRegularExpression tag("(</?b>)");
    bool inBold = false;
    int at = 0;
    const QString &rest = m_instruction;
    auto pieces = tag.globalMatch(rest);
    const auto draw = [&](const QString &escaped) {
        QString piece = escaped;
        piece.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
        p.setFont(inBold ? m_bold : m_middle);
        p.drawText(QRect(x, top, width(), BigPx + 6), Qt::AlignLeft | Qt::AlignVCenter, piece);
        x += p.fontMetrics().horizontalAdvance(piece);
    };
    while (pieces.hasNext()) {
        const QRegularExpressionMatch m = pieces.next();
        draw(rest.mid(at, m.capturedStart() - at));
        inBold = m.captured(1) == "<b>";
        at = m.capturedEnd();
    }
    draw(rest.mid(at));
    p.restore();
}

// Only what changed is drawn again; the rest is copied from the picture.
void GuidanceBanner::paintEvent(QPaintEvent *)
{
    if (m_stale || m_picture.isNull()) {
        render(m_stale);
        m_stale = 0;
    }
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void GuidanceBanner::resizeEvent(QResizeEvent *event)
{
    m_picture = QPixmap();
    m_stale = AllParts;
    QWidget::resizeEvent(event);
}

void GuidanceBanner::changeEvent(QEvent *event)
{
    // The kept texts were in the language before.
    if (event->type() == QEvent::LanguageChange) {
        m_descriptionShown.clear();
        m_tripShown.clear();
    }
    QWidget::changeEvent(event);
}

void GuidanceBanner::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->pos()))
        emit clicked();
    event->accept();
}
