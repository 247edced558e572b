#ifndef MODALSCRIPT_H
#define MODALSCRIPT_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

// Plays the user's part in a row of modal windows: each step runs once, in
// order, on the next modal window that shows (inside its nested event loop).
// Records the class name and title of every window it acted on.
class ModalScript : public QObject
{
    Q_OBJECT
public:
    using Step = std::function<void(QWidget *)>;

    explicit ModalScript(QObject *parent = nullptr);

    ModalScript &then(Step step);
    bool done() const { return m_steps.isEmpty(); }
    QStringList seen() const { return m_seen; }   // "ClassName: title"

private:
    void poll();

    QTimer m_timer;
    QList<Step> m_steps;
    QPointer<QWidget> m_current;
    QStringList m_seen;
};

#endif
