#include "toolbutton.h"

ToolButton::ToolButton(QIcon icon, int alpha, QWidget *parent)
    : QToolButton(parent)
{
    setIcon(icon);
    // Only the badge shows: no bevel from a desktop style around it.
    setAutoRaise(true);
    // Desktop styles default to small tool-button icons; show the image whole.
    if (!icon.availableSizes().isEmpty())
        setIconSize(icon.availableSizes().first());
    setFixedSize(sizeHint());

    QPalette pal = palette();
    QColor color = pal.brush(QPalette::Current, backgroundRole()).color();
    color.setAlpha(alpha);
    pal.setBrush(QPalette::All, backgroundRole(), QBrush(color, Qt::SolidPattern));
    setPalette(pal);
    setAutoFillBackground(true);
    // Tapped, never focused: the window's arrow keys pan, they do not move focus.
    setFocusPolicy(Qt::NoFocus);
}

ToolButton::~ToolButton() = default;
