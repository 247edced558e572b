// Draws the four pan-arrow badges into resources/images. Run from a build:
//   drawbadges <output folder>
// Each badge is 70 x 70 RGBA: a white D-shape lying flat against its screen
// edge, an arrow pointing at that edge and the compass letter.
#include <QCoreApplication>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
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
    return 0;
}
