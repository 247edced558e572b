#include "plainmessage.h"

#include <QGridLayout>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>

namespace {
// The box sizes itself for its text alone (at most 320 pixels wide on an
// 800-pixel screen), and the window manager then cuts the title short. A row
// as wide as the title, in bold, beside the frame's icon and three buttons
// keeps it whole, up to the screen's width.
void makeRoomForTitle(QMessageBox &box, const QString &title)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid || title.isEmpty())
        return;
    QFont font = box.font();
    font.setBold(true);
    const int buttons = 4 * box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    int width = QFontMetrics(font).horizontalAdvance(title) + buttons;
    if (const QScreen *screen = box.screen())
        width = qMin(width, screen->availableGeometry().width() - 2 * grid->contentsMargins().left());
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QMessageBox::StandardButton run(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                const QString &text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    makeRoomForTitle(box, title);
    box.exec();
    return box.standardButton(box.clickedButton());
}
}

void PlainMessage::warning(QWidget *parent, const QString &title, const QString &text)
{
    run(QMessageBox::Warning, parent, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

QMessageBox::StandardButton PlainMessage::question(QWidget *parent, const QString &title,
                                                   const QString &text,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton)
{
    return run(QMessageBox::Question, parent, title, text, buttons, defaultButton);
}
