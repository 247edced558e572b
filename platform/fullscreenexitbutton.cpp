#include "fullscreenexitbutton.h"

#include <QEvent>
#include <QIcon>
#include <QStyle>

FullScreenExitButton::FullScreenExitButton(QWidget *parent)
    : QToolButton(parent)
{
    // Desktop themes lack the handheld's icon; a standard one keeps it visible.
    setIcon(QIcon::fromTheme("general_fullsize",
                             style()->standardIcon(QStyle::SP_TitleBarNormalButton)));
    // Large enough to find on a desktop screen, and saying what it does.
    setIconSize(QSize(32, 32));
    setFixedSize(sizeHint().expandedTo(QSize(48, 48)));
    setToolTip(tr("Leave fullscreen (Esc)"));

    QPalette pal = palette();
    QColor color = pal.color(QPalette::Current, backgroundRole());
    color.setAlpha(128);
    pal.setBrush(QPalette::All, backgroundRole(), QBrush(color, Qt::SolidPattern));
    setPalette(pal);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);

    connect(this, &QToolButton::clicked, parent, &QWidget::showNormal);
    parent->installEventFilter(this);

    if (parent->windowState() & Qt::WindowFullScreen) {
        show();
        raise();
    } else {
        hide();
    }
}

FullScreenExitButton::~FullScreenExitButton() = default;

bool FullScreenExitButton::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *parent = parentWidget();
    if (watched != parent)
        return false;

    if (event->type() == QEvent::WindowStateChange) {
        if (parent->windowState() & Qt::WindowFullScreen) {
            show();
            raise();
        } else {
            hide();
        }
    }
    if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::Resize) {
        if (isVisible())
            move(parent->width() - width(), parent->height() - height());
    }
    return false;
}
