// Draws the four pan-arrow badges and the route sheet's turn icons into
// resources/images. Run from a build:
//   drawbadges <output folder>
// Each badge is 70 x 70 RGBA: a white D-shape lying flat against its screen
// edge, an arrow pointing at that edge and the compass letter. Each turn icon is
// 48 x 48 RGBA: a white rounded square with the way to take drawn as a dark
// arrow, named for the directions service's maneuver word.
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

static QImage badge(const QString &letter, int quarterTurns)
{
    const int size = 70;
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Drawn for the west edge, then turned for the others.
    QTransform turn;
    turn.translate(size / 2.0, size / 2.0);
    turn.rotate(90.0 * quarterTurns);
    turn.translate(-size / 2.0, -size / 2.0);

    QPainterPath shape;
    shape.moveTo(0, 4);
    shape.lineTo(34, 4);
    shape.arcTo(QRectF(4, 4, 62, 62), 90, -180);
    shape.lineTo(0, 66);
    shape.closeSubpath();

    p.setPen(QPen(QColor(90, 90, 90, 200), 2));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawPath(turn.map(shape));

    QPainterPath arrow;
    arrow.moveTo(8, 35);
    arrow.lineTo(20, 26);
    arrow.lineTo(20, 44);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawPath(turn.map(arrow));

    // The letter stays upright whatever the edge.
    const QPointF centre = turn.map(QPointF(40, 35));
    QFont font("DejaVu Sans");
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(40, 40, 40));
    p.drawText(QRectF(centre.x() - 16, centre.y() - 16, 32, 32), Qt::AlignCenter, letter);
    return image;
}

static const int IconSize = 48;

// A thick stroke along the path and a head at its end, pointing the way the
// path leaves it.
static void drawArrow(QPainter &p, const QPainterPath &path)
{
    const QColor ink(40, 40, 40);
    p.setPen(QPen(ink, 6, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);

    QTransform along;
    along.translate(path.currentPosition().x(), path.currentPosition().y());
    along.rotate(-path.angleAtPercent(1));
    QPolygonF head;
    head << QPointF(10, 0) << QPointF(0, -8) << QPointF(0, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPolygon(along.map(head));
}

// The ways that are passed by, not taken.
static void drawRoad(QPainter &p, const QPainterPath &path)
{
    p.setPen(QPen(QColor(150, 150, 150), 4, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

enum Turn { Straight, Slight, Quarter, Sharp, UTurn, Roundabout, Merge, Ramp };

// Drawn for the right-hand version; `left` mirrors it.
static QImage turnIcon(Turn turn, bool left)
{
    QImage image(IconSize, IconSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90, 200), 1.5));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRoundedRect(QRectF(1, 1, IconSize - 2, IconSize - 2), 8, 8);
    if (left)
        p.setTransform(QTransform(-1, 0, 0, 1, IconSize, 0));

    QPainterPath way(QPointF(18, 44));
    switch (turn) {
    case Straight:
        way = QPainterPath(QPointF(24, 44));
        way.lineTo(24, 15);
        break;
    case Slight:
        way.lineTo(18, 30);
        way.lineTo(31, 17);
        break;
    case Quarter:
        way = QPainterPath(QPointF(15, 44));
        way.lineTo(15, 28);
        way.quadTo(15, 19, 24, 19);
        way.lineTo(33, 19);
        break;
    case Sharp:
        way = QPainterPath(QPointF(14, 44));
        way.lineTo(14, 11);
        way.lineTo(28, 25);
        break;
    case UTurn:
        way = QPainterPath(QPointF(13, 44));
        way.lineTo(13, 21);
        way.arcTo(QRectF(13, 10, 20, 22), 180, -180);
        way.lineTo(33, 29);
        break;
    case Roundabout: {
        // The ring and the road in, grey; the way taken goes round the ring
        // anticlockwise, as traffic on the right does, and leaves at the
        // exit's side. Not mirrored: a left exit is three quarters round.
        p.setTransform(QTransform());
        const QRectF ring(15, 13, 18, 18);
        QPainterPath island;
        island.addEllipse(ring);
        drawRoad(p, island);
        QPainterPath in(QPointF(24, 46));
        in.lineTo(24, 31);
        drawRoad(p, in);
        way = QPainterPath(QPointF(24, 42));
        way.lineTo(24, 31);
        way.arcTo(ring, 270, left ? 270 : 90);
        way.lineTo(left ? 13 : 35, 22);
        break;
    }
    case Merge: {
        QPainterPath joining(QPointF(8, 44));
        joining.quadTo(8, 30, 24, 26);
        drawRoad(p, joining);
        way = QPainterPath(QPointF(24, 44));
        way.lineTo(24, 15);
        break;
    }
    case Ramp: {
        QPainterPath road(QPointF(18, 46));
        road.lineTo(18, 4);
        drawRoad(p, road);
        way.lineTo(18, 32);
        way.quadTo(18, 24, 25, 20);
        way.lineTo(31, 16);
        break;
    }
    }
    drawArrow(p, way);
    return image;
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    const struct { const char *file; const char *letter; int turns; } badges[] = {
        {"west.png", "W", 0}, {"north.png", "N", 1}, {"east.png", "E", 2}, {"south.png", "S", 3},
    };
    for (const auto &b : badges) {
        if (!badge(QString::fromLatin1(b.letter), b.turns).save(out + "/" + b.file))
            return 1;
    }
    const struct { const char *maneuver; Turn turn; } turns[] = {
        {"straight", Straight},         {"turn-slight-%1", Slight},
        {"turn-%1", Quarter},           {"turn-sharp-%1", Sharp},
        {"uturn-%1", UTurn},            {"roundabout-%1", Roundabout},
        {"ramp-%1", Ramp},              {"merge", Merge},
    };
    for (const auto &t : turns) {
        const QString name = QString::fromLatin1(t.maneuver);
        const bool sided = name.contains("%1");
        for (const bool left : {false, true}) {
            if (!sided && left)
                continue;
            const QString file = sided ? name.arg(left ? "left" : "right") : name;
            if (!turnIcon(t.turn, left).save(out + "/" + file + ".png"))
                return 1;
        }
    }
    return 0;
}
