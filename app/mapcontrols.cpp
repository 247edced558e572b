#include "mapcontrols.h"

#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

// Where north is on a turned map: an arrow that points there and an N.
class NorthArrow : public QWidget
{
public:
    explicit NorthArrow(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName("northArrow");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setToolTip(tr("North"));
    }
    void setRotation(int degrees)
    {
        if (degrees != m_rotation) {
            m_rotation = degrees;
            update();
        }
    }
    int rotation() const { return m_rotation; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 220));
        p.drawEllipse(rect().adjusted(1, 1, -1, -1));
        p.translate(width() / 2.0, height() / 2.0);
        p.rotate(m_rotation);
        const double r = width() / 2.0 - 6;
        QPainterPath arrow;
        arrow.moveTo(0, -r);
        arrow.lineTo(r * 0.45, r * 0.6);
        arrow.lineTo(0, r * 0.3);
        arrow.lineTo(-r * 0.45, r * 0.6);
        arrow.closeSubpath();
        p.setBrush(QColor(190, 30, 30));
        p.drawPath(arrow);
        p.setPen(Qt::white);
        QFont f = font();
        f.setPixelSize(int(r * 0.55));
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRectF(-r, -r * 0.2, 2 * r, r * 0.6), Qt::AlignCenter, "N");
    }

private:
    int m_rotation = 0;
};

namespace {
QToolButton *button(QWidget *window, const char *name, const QString &text, const QString &tip)
{
    auto *b = new QToolButton(window);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    b->setFixedSize(MapControls::Side, MapControls::Side);
    b->setFocusPolicy(Qt::NoFocus);
    QFont f = b->font();
    f.setPixelSize(28);
    f.setBold(true);
    b->setFont(f);
    b->setStyleSheet("QToolButton { background: rgba(255, 255, 255, 220); border: 1px solid #888;"
                     " border-radius: 6px; color: #222; }");
    return b;
}
}

MapControls::MapControls(QWidget *window)
    : QObject(window)
    , m_zoomIn(button(window, "zoomInBtt", "+", tr("Zoom in (F7)")))
    , m_zoomOut(button(window, "zoomOutBtt", QString(QChar(0x2212)), tr("Zoom out (F8)")))
    , m_follow(button(window, "followBtt", QString(QChar(0x25ce)), tr("Follow my position (Enter)")))
    , m_north(new NorthArrow(window))
{
    m_north->setFixedSize(Side - 8, Side - 8);
    m_north->hide();
    connect(m_zoomIn, &QToolButton::clicked, this, &MapControls::zoomIn);
    connect(m_zoomOut, &QToolButton::clicked, this, &MapControls::zoomOut);
    connect(m_follow, &QToolButton::clicked, this, &MapControls::follow);
}

void MapControls::place(const Layout &layout)
{
    const QRect &m = layout.map;
    const int bottom = m.bottom() + 1 - Gap;
    // Above the map's scale and its attribution, which the licence wants seen.
    const int leftBottom = bottom - 64;
    m_zoomOut->move(m.left() + Gap, leftBottom - Side);
    m_zoomIn->move(m.left() + Gap, leftBottom - 2 * Side - Gap);
    // The fullscreen exit button takes the very corner (48 px) in fullscreen.
    m_follow->move(m.right() + 1 - Gap - Side, bottom - Side - 48 - Gap);
    m_north->move(m.right() + 1 - Gap - m_north->width(), m.top() + layout.topInset + Gap);
    m_north->setRotation(layout.rotation);
    // Raised only when they appear: restacking repaints what lies beneath.
    const auto show = [](QWidget *w, bool on) {
        if (on && !w->isVisible()) {
            w->show();
            w->raise();
        } else if (!on && w->isVisible()) {
            w->hide();
        }
    };
    show(m_zoomIn, layout.shown);
    show(m_zoomOut, layout.shown);
    show(m_follow, layout.shown);
    show(m_north, layout.shown && layout.rotated);
}
