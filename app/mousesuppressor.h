#ifndef MOUSESUPPRESSOR_H
#define MOUSESUPPRESSOR_H

#include <QObject>

class QMouseEvent;
class QWebView;

// Keeps presses, moves and releases away from the map page (its own dragging
// must not act) and turns a left press and release into one click.
class MouseSuppressor : public QObject
{
    Q_OBJECT
public:
    explicit MouseSuppressor(QWebView *view);

signals:
    void click(QMouseEvent *pEvent);

protected:
    bool eventFilter(QObject *obj, QEvent *event) override;

private:
    bool m_pressed = false;
};

#endif
