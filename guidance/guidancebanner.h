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
// while and hides. It paints from a picture made when its content changes:
// a fix that moves the map repaints the banner over it too, and that must
// cost no more than a copy.
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
    QString iconFile() const { return m_iconFile; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setContent(const QString &icon, const QString &distance, const QString &instruction,
                    const QString &then, const QString &trip);
    void render();

    QString m_iconFile;
    QString m_distance;
    QString m_instruction;
    QString m_then;
    QString m_trip;
    QPixmap m_picture;
    QTimer *m_arrivalTimer;
};

#endif
