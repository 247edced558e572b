#ifndef DIRECTIONSDLG_H
#define DIRECTIONSDLG_H

#include <QDialog>
#include <QString>
#include <QStringList>

class QEvent;
class Ui_DirectionsDlg;

// The route request form: start, destination and the options of the request,
// handed back as the values the directions service takes. Validates nothing.
class DirectionsDlg : public QDialog
{
    Q_OBJECT
public:
    explicit DirectionsDlg(QWidget *parent);
    ~DirectionsDlg();

    QString startAddress() const;
    QString destinationAddress() const;
    void setStartAddress(QString address);
    void setDestinationAddress(QString address);
    // The route starts at the own position: the start field is not asked for.
    void setStartAddressToCurrentPos(bool currentPos);
    bool showAlternatives() const;
    QString mode() const;
    QString units() const;
    QStringList avoid() const;

protected:
    void changeEvent(QEvent *e) override;

private:
    Ui_DirectionsDlg *ui;
};

#endif
