#include "guidancebanner.h"

#include "directions/stepdelegate.h"
#include "guidance/guidance.h"
#include "guidance/maneuvertext.h"

#include <QGridLayout>
#include <QLocale>
#include <QLabel>
#include <QMouseEvent>
#include <QTime>
#include <QTimer>

GuidanceBanner::GuidanceBanner(QWidget *parent)
    : QFrame(parent)
    , m_icon(new QLabel(this))
    , m_distance(new QLabel(this))
    , m_instruction(new QLabel(this))
    , m_then(new QLabel(this))
    , m_trip(new QLabel(this))
    , m_arrivalTimer(new QTimer(this))
{
    setObjectName("guidanceBanner");
    // Opaque: a banner the map shows through would make each fix repaint
    // the web view beneath it too.
    setAutoFillBackground(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setStyleSheet("#guidanceBanner { background: rgb(20, 60, 40); }"
                  "QLabel { color: white; }");
    m_icon->setFixedSize(40, 40);
    m_icon->setScaledContents(true);
    QFont big = font();
    big.setPixelSize(22);
    big.setBold(true);
    m_distance->setFont(big);
    m_distance->setObjectName("distanceLbl");
    QFont middle = font();
    middle.setPixelSize(17);
    m_instruction->setFont(middle);
    m_instruction->setObjectName("instructionLbl");
    m_instruction->setTextFormat(Qt::RichText);
    m_instruction->setWordWrap(false);
    QFont small = font();
    small.setPixelSize(13);
    m_then->setFont(small);
    m_then->setObjectName("thenLbl");
    m_trip->setFont(small);
    m_trip->setObjectName("tripLbl");
    m_trip->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel *label : {m_icon, m_distance, m_instruction, m_then, m_trip})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_icon, 0, 0, 2, 1, Qt::AlignCenter);
    layout->addWidget(m_distance, 0, 1);
    layout->addWidget(m_instruction, 0, 2);
    layout->addWidget(m_then, 1, 1, 1, 2);
    layout->addWidget(m_trip, 2, 0, 1, 3);
    layout->setColumnStretch(2, 1);

    m_arrivalTimer->setSingleShot(true);
    m_arrivalTimer->setInterval(ArrivalShownMs);
    connect(m_arrivalTimer, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

// Only what changed is set: a label repaints on every setText.
static void setText(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
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
    setText(m_distance, ManeuverText::distance(state.toManeuver, imperial));
    const QString iconFile = next >= 0 && next < steps.size() ? StepDelegate::iconFile(steps.at(next).m_maneuver)
                                                              : QString();
    if (next >= 0 && next < steps.size())
        setText(m_instruction, ManeuverText::rich(steps.at(next).description()));
    else
        setText(m_instruction, ManeuverText::arrivalAhead().toHtmlEscaped());
    if (iconFile != m_iconFile || m_icon->pixmap() == nullptr || m_icon->pixmap()->isNull() != iconFile.isEmpty()) {
        m_iconFile = iconFile;
        m_icon->setPixmap(m_iconFile.isEmpty() ? QPixmap() : QPixmap(m_iconFile));
    }
    const int then = guidance.thenManeuver();
    setText(m_then, then >= 0 && then < steps.size() ? ManeuverText::then(ManeuverText::action(steps.at(then)))
                                                     : QString());
    m_then->setVisible(!m_then->text().isEmpty());
    const QTime arrival = QTime::currentTime().addSecs(int(state.remainingSeconds));
    setText(m_trip, tr("%1 · %2 · arrival %3")
                        .arg(ManeuverText::distance(state.remaining, imperial),
                             ManeuverText::duration(state.remainingSeconds),
                             QLocale().toString(arrival, QLocale::ShortFormat)));
    if (!isVisible()) {
        show();
        raise();
    }
}

void GuidanceBanner::showArrival()
{
    m_iconFile.clear();
    m_icon->setPixmap(QPixmap());
    m_distance->clear();
    m_instruction->setText(ManeuverText::youHaveArrived().toHtmlEscaped());
    m_then->clear();
    m_then->hide();
    m_trip->clear();
    m_icon->setPixmap(QPixmap());
    show();
    raise();
    m_arrivalTimer->start();
}

void GuidanceBanner::place(const QRect &area)
{
    const int height = qMin(sizeHint().height(), area.height() / 5);
    setGeometry(area.x(), area.y(), area.width(), height);
}

QString GuidanceBanner::distanceText() const
{
    return m_distance->text();
}

QString GuidanceBanner::instructionText() const
{
    return m_instruction->text();
}

QString GuidanceBanner::thenText() const
{
    return m_then->text();
}

QString GuidanceBanner::tripText() const
{
    return m_trip->text();
}

void GuidanceBanner::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->pos()))
        emit clicked();
    event->accept();
}
