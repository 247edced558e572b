#ifndef REPAINTWAITER_H
#define REPAINTWAITER_H

#include <QObject>

#include <functional>

class QWidget;

// Lets a benchmark include the repaint in what it measures: after a script
// has changed the page, settle() runs the event loop until every event that
// the change caused (layout timers, update requests, the paint itself) has
// been handled, and says whether the widget was painted meanwhile.
class RepaintWaiter : public QObject
{
public:
    explicit RepaintWaiter(QWidget *widget);

    bool settle();
    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_paints = 0;
};

// CPU time of the whole process so far, in nanoseconds.
qint64 processCpuNs();

// Runs the event loop until done() holds or ms have passed; says whether it holds.
bool waitFor(const std::function<bool()> &done, int ms);

#endif
