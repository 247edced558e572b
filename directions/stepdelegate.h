#ifndef STEPDELEGATE_H
#define STEPDELEGATE_H

#include "directions/step.h"

#include <QList>
#include <QStyledItemDelegate>

// Draws the route sheet's steps: row n is step n of the route given last, its
// instruction text as the list holds it, its turn icon before it and its
// distance and duration right-aligned beside it, the instruction wrapping
// in what they leave of the row. Icons and figures are made
// for the rows drawn, not for the whole route at once.
class StepDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setSteps(const QList<Step> &steps, bool imperial = false)
    {
        m_steps = steps;
        m_imperial = imperial;
    }
    // The figures shown beside row n: empty when there are none.
    QString figures(int row) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    int figuresWidth(const QStyleOptionViewItem &option, int rowWidth, int row) const;
    int rowWidth(const QStyleOptionViewItem &option) const;

    QList<Step> m_steps;
    bool m_imperial = false;
};

#endif
