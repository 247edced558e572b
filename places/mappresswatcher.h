#ifndef MAPPRESSWATCHER_H
#define MAPPRESSWATCHER_H

#include <QObject>
#include <QPoint>

class QTimer;
class QWidget;

// Notices a right click, or a press held still for a while, on the widget
// over the map, and tells where; the events themselves go on as before.
class MapPressWatcher : public QObject
{
    Q_OBJECT
public:
    static const int HoldMs = 700;

    explicit MapPressWatcher(QWidget *watched);

signals:
    // pos: in the watched widget's pixels.
    void pointChosen(const QPoint &pos);

protected:
    bool eventFilter(QObject *obj, QEvent *event) override;

private:
    QTimer *m_hold;
    QPoint m_pressedAt;
};

#endif
