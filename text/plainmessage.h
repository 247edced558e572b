#ifndef PLAINMESSAGE_H
#define PLAINMESSAGE_H

#include <QMessageBox>
#include <QString>

// Message boxes whose text came from a web service, a file or the settings: it
// is shown as plain text, so that markup in it can neither load a picture or a
// local file nor dress itself up as the application's own words.
class PlainMessage
{
public:
    static void warning(QWidget *parent, const QString &title, const QString &text);
    static QMessageBox::StandardButton question(QWidget *parent, const QString &title,
                                                const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton);
};

#endif
