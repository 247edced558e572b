#ifndef TOOLBUTTON_H
#define TOOLBUTTON_H

#include <QIcon>
#include <QToolButton>

// An icon-only button whose background has the given alpha (0 lets the map
// show through around the icon).
class ToolButton : public QToolButton
{
    Q_OBJECT
public:
    ToolButton(QIcon icon, int alpha, QWidget *parent);
    ~ToolButton();
};

#endif
