#ifndef MAEMO5LISTPICKSELECTOR_H
#define MAEMO5LISTPICKSELECTOR_H

#include <QObject>
#include <QString>

class QAbstractItemModel;
class QWidget;

// Desktop stand-in for the handheld's list picker: offers the rows of a model
// in a small dialog and reports the text of the row the user taps.
class Maemo5ListPickSelector : public QObject
{
    Q_OBJECT
public:
    explicit Maemo5ListPickSelector(QObject *parent = nullptr);

    void setModel(QAbstractItemModel *model);
    QAbstractItemModel *model() const { return m_model; }
    void setCurrentIndex(int index);
    int currentIndex() const { return m_currentIndex; }
    QString currentValueText() const;

    // The picker dialog, parented to `parent`; the caller runs and deletes it.
    QWidget *widget(QWidget *parent);

signals:
    void selected(const QString &text);

private:
    void pick(int row);

    QAbstractItemModel *m_model = nullptr;
    int m_currentIndex = -1;
};

#endif
