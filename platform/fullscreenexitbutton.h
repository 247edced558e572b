#ifndef FULLSCREENEXITBUTTON_H
#define FULLSCREENEXITBUTTON_H

#include <QToolButton>

// A translucent button in the bottom-right corner of a fullscreen window that
// returns it to normal; hidden while the window is not fullscreen.
class FullScreenExitButton : public QToolButton
{
    Q_OBJECT
public:
    explicit FullScreenExitButton(QWidget *parent);
    ~FullScreenExitButton();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

#endif
