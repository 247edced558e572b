#include "plainmessage.h"

namespace {
QMessageBox::StandardButton run(QMessageBox::Icon icon, QWidget *parent, const QString &title,
                                const QString &text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
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
