#ifndef GUIDANCEBANNER_H
#define GUIDANCEBANNER_H

#include <QPixmap>
#include <QWidget>

class Guidance;
class QTimer;

// The next maneuver over the top of the map: its turn icon, the distance to
// it, the instruction with the street in bold and the maneuver after it when
// that follows closely; below, the remaining distance and time and the
// arrival time. A tap reports clicked(). After arrival it says so for a
// while and hides. It paints from a picture kept between changes, and a fix
// that changes only the distance or the bottom line redraws and repaints
// only that part: a repaint over the map is copied to the screen, and the
// whole banner on every fix cost several times what the fix did without it.
class GuidanceBanner : public QWidget
{
    Q_OBJECT
public:
    static constexpr int ArrivalShownMs = 10000;

    explicit GuidanceBanner(QWidget *parent);

    void showProgress(const Guidance &guidance);
    void showArrival();
    // At the top of `area` (parent coordinates), at most a fifth of its height.
    void place(const QRect &area);
    QSize sizeHint() const override;

    QString distanceText() const { return m_distance; }
    QString instructionText() const { return m_instruction; }   // rich text
    QString thenText() const { return m_then; }
    QString tripText() const { return m_trip; }
    QString speedText() const { return m_speed; }   // the car's speed, from the fixes
    QString iconFile() const { return m_iconFile; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The parts of the picture that are drawn on their own.
    enum Part { DistancePart = 1, ThenPart = 2, TripPart = 4, AllParts = 0xff };

    void setContent(const QString &icon, const QString &distance, const QString &instruction,
                    const QString &then, const QString &trip, const QString &speed = QString());
    QString tripFor(double remaining, double seconds, bool imperial);
    QRect partRect(Part part) const;
    int distanceLeft() const;
    int distanceColumn(const QString &distance) const;
    void render(int parts);
    void renderInstruction(QPainter &p, int x);

    QString m_iconFile;
    QPixmap m_icon;
    // What the last fix showed, to build the texts only when they change.
    QString m_descriptionShown;
    QString m_richShown;
    QString m_tripDistance;
    QString m_tripDuration;
    int m_tripArrival = -1;   // minute of the day
    QString m_tripShown;
    int m_column = 0;      // the distance's width on the top line
    int m_minColumn = 0;   // what the usual distances need: the instruction stays put
    int m_stale = AllParts;
    QFont m_big;
    QFont m_middle;
    QFont m_bold;
    QFont m_small;
    QString m_distance;
    QString m_instruction;
    QString m_then;
    QString m_trip;
    QString m_speed;
    QPixmap m_picture;
    QTimer *m_arrivalTimer;
    // The arrival clock goes on while the car stands and no new progress comes.
    QTimer *m_clockTimer;
    double m_tripRemaining = 0;
    double m_tripSeconds = 0;
    bool m_tripImperial = false;
};

#endif
