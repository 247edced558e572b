#ifndef WINDOWFRAME_H
#define WINDOWFRAME_H

#include <QRect>
#include <QString>

class QWidget;

// A top-level window as the X11 window manager frames it: the frame extents
// it announces on the window (_NET_FRAME_EXTENTS) around where the window
// really is on the root window, and the work area it announces on the root.
namespace WindowFrame {

// The frame's rectangle on the screen; null while the manager has not framed it.
QRect of(const QWidget *window);
QRect workArea();
// Empty when the window is framed, with a title bar, whole inside the work
// area; else what is wrong, for the test's message.
QString misfit(const QWidget *window);

}

#endif
