#ifndef GUIDANCEBANNER_H
#define GUIDANCEBANNER_H

#include <QFrame>

class Guidance;
class QLabel;
class QTimer;

// The next maneuver over the top of the map: its turn icon, the distance to
// it, the instruction with the street in bold and the maneuver after it when
// that follows closely; below, the remaining distance and time and the
// arrival time. A tap reports clicked(). After arrival it says so for a
// while and hides.
class GuidanceBanner : public QFrame
{
    Q_OBJECT
public:
    static constexpr int ArrivalShownMs = 10000;

    explicit GuidanceBanner(QWidget *parent);

    void showProgress(const Guidance &guidance);
    void showArrival();
    // At the top of `area` (parent coordinates), at most a fifth of its height.
    void place(const QRect &area);

    QString distanceText() const;
    QString instructionText() const;
    QString thenText() const;
    QString tripText() const;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QLabel *m_icon;
    QLabel *m_distance;
    QLabel *m_instruction;
    QLabel *m_then;
    QLabel *m_trip;
    QTimer *m_arrivalTimer;
    QString m_iconFile;
};

#endif
