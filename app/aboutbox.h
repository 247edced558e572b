#ifndef ABOUTBOX_H
#define ABOUTBOX_H

#include <QMessageBox>

// The application's version, licence and the credits of the data it shows,
// as plain text: nothing in it comes from outside.
class AboutBox : public QMessageBox
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);
};

#endif
