#ifndef OVERLAYTAPRELAY_H
#define OVERLAYTAPRELAY_H

#include <QObject>

class QWidget;

// The overlay lies above the map so that drags reach the main window; this
// passes a copy of each press, release and double click on to the view below
// (where they count as taps or reach the page), and hands wheel turns to the
// view so that the page can zoom. The overlay's own events go on unchanged.
class OverlayTapRelay : public QObject
{
    Q_OBJECT
public:
    OverlayTapRelay(QWidget *overlay, QWidget *target);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_overlay;
    QWidget *m_target;
};

#endif
