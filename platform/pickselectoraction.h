#ifndef PICKSELECTORACTION_H
#define PICKSELECTORACTION_H

#include <QStringList>
#include <QWidgetAction>

class QStringListModel;

// A menu entry that shows one choice out of a list of texts and reports the
// index the user picks.
class PickSelectorAction : public QWidgetAction
{
    Q_OBJECT
public:
    explicit PickSelectorAction(QObject *parent);
    // Part of the interface, though the application does not use it: keep.
    PickSelectorAction(QStringList items, int selectedIndex, QObject *parent);
    ~PickSelectorAction();

    QStringList &items() { return m_items; }
    int selectedIndex() const { return m_selectedIndex; }
    void setSelectedIndex(int index);

signals:
    void selectionChanged(int index);

public slots:
    void optionSelected(const QString &text);

protected:
    QWidget *createWidget(QWidget *parent) override;

private:
    void choose(int index);

    int m_selectedIndex = 0;
    QStringList m_items;
    QStringListModel *m_model = nullptr;
};

#endif
