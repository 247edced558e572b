#include "guidancebanner.h"

#include "directions/stepdelegate.h"
#include "guidance/guidance.h"
#include "guidance/maneuvertext.h"

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

GuidanceBanner::GuidanceBanner(QWidget *parent)
    : QWidget(parent)
    , m_arrivalTimer(new QTimer(this))
{
    setObjectName("guidanceBanner");
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_arrivalTimer->setSingleShot(true);
    m_arrivalTimer->setInterval(ArrivalShownMs);
    connect(m_arrivalTimer, &QTimer::timeout, this, &QWidget::hide);
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
    const QList<Step> &steps = guidance.route().steps;
    const int next = guidance.nextManeuver();
    const bool imperial = guidance.imperial();
    const bool maneuver = next >= 0 && next < steps.size();
    const int then = guidance.thenManeuver();
    const QTime arrival = QTime::currentTime().addSecs(int(state.remainingSeconds));
    setContent(maneuver ? StepDelegate::iconFile(steps.at(next).m_maneuver) : QString(),
               ManeuverText::distance(state.toManeuver, imperial),
               maneuver ? ManeuverText::rich(steps.at(next).description())
                        : ManeuverText::arrivalAhead().toHtmlEscaped(),
               then >= 0 && then < steps.size() ? ManeuverText::then(ManeuverText::action(steps.at(then)))
                                                : QString(),
               tr("%1 · %2 · arrival %3")
                   .arg(ManeuverText::distance(state.remaining, imperial),
                        ManeuverText::duration(state.remainingSeconds),
                        QLocale().toString(arrival, QLocale().timeFormat(QLocale::ShortFormat).remove(":ss"))));
    if (!isVisible()) {
        show();
        raise();
    }
}

void GuidanceBanner::showArrival()
{
    setContent(QString(), QString(), ManeuverText::youHaveArrived().toHtmlEscaped(), QString(), QString());
    show();
    raise();
    m_arrivalTimer->start();
}

void GuidanceBanner::setContent(const QString &icon, const QString &distance, const QString &instruction,
                                const QString &then, const QString &trip)
{
    if (icon == m_iconFile && distance == m_distance && instruction == m_instruction && then == m_then
        && trip == m_trip)
        return;
    m_iconFile = icon;
    m_distance = distance;
    m_instruction = instruction;
    m_then = then;
    m_trip = trip;
    m_picture = QPixmap();
    update();
}

void GuidanceBanner::place(const QRect &area)
{
    setGeometry(area.x(), area.y(), area.width(), qMin(sizeHint().height(), area.height() / 5));
}

void GuidanceBanner::render()
{
    m_picture = QPixmap(size() * devicePixelRatioF());
    m_picture.setDevicePixelRatio(devicePixelRatioF());
    m_picture.fill(Background);
    QPainter p(&m_picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::white);
    int x = Margin;
    if (!m_iconFile.isEmpty()) {
        p.drawPixmap(QRect(x, Margin, IconSide, IconSide), QPixmap(m_iconFile));
        x += IconSide + Margin;
    }
    QFont big = font();
    big.setPixelSize(BigPx);
    big.setBold(true);
    p.setFont(big);
    const int top = Margin;
    if (!m_distance.isEmpty()) {
        p.drawText(QRect(x, top, width() - x, BigPx + 6), Qt::AlignLeft | Qt::AlignVCenter, m_distance);
        x += p.fontMetrics().horizontalAdvance(m_distance) + 2 * Margin;
    }
    // The instruction holds plain text and bold only (ManeuverText::rich):
    // drawn piece by piece, which costs far less than a text document.
    QFont middle = font();
    middle.setPixelSize(MiddlePx);
    QFont bold = middle;
    bold.setBold(true);
    p.save();
    p.setClipRect(QRect(x, top, width() - x - Margin, BigPx + 6));
    static const QRegularExpression tag("(</?b>)");
    bool inBold = false;
    int at = 0;
    QString rest = m_instruction;
    auto pieces = tag.globalMatch(rest);
    const auto draw = [&](const QString &escaped) {
        QString piece = escaped;
        piece.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&amp;", "&");
        p.setFont(inBold ? bold : middle);
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
    QFont small = font();
    small.setPixelSize(SmallPx);
    p.setFont(small);
    const int line = top + BigPx + 6;
    p.drawText(QRect(Margin + IconSide + Margin, line, width(), SmallPx + 6), Qt::AlignLeft | Qt::AlignVCenter, m_then);
    p.drawText(QRect(0, line + SmallPx + 6, width() - Margin, SmallPx + 6), Qt::AlignRight | Qt::AlignVCenter, m_trip);
}

void GuidanceBanner::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        render();
    QPainter(this).drawPixmap(0, 0, m_picture);
}

void GuidanceBanner::resizeEvent(QResizeEvent *event)
{
    m_picture = QPixmap();
    QWidget::resizeEvent(event);
}

void GuidanceBanner::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->pos()))
        emit clicked();
    event->accept();
}
