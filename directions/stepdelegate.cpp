#include "stepdelegate.h"

#include "directions/maneuver.h"
#include "directions/tripfigures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHash>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

static const int Gap = 12;
static const int Margin = 4;
static const QSize IconSize(32, 32);

static QIcon iconFor(const QString &maneuver)
{
    static QHash<QString, QIcon> icons;
    const auto found = icons.constFind(maneuver);
    if (found != icons.constEnd())
        return *found;
    const QString file = Maneuver::iconFile(maneuver);
    QIcon icon;
    if (file.isEmpty()) {
        // A step without a turn keeps its text in line with the others.
        QPixmap blank(IconSize);
        blank.fill(Qt::transparent);
        icon = QIcon(blank);
    } else {
        icon = QIcon(file);
    }
    // The words come from the service: only known ones are kept.
    if (!file.isEmpty() || maneuver.isEmpty())
        icons.insert(maneuver, icon);
    return icon;
}

QString StepDelegate::figures(int row) const
{
    return row >= 0 && row < m_steps.size() ? TripFigures::stepLine(m_steps.at(row), m_imperial) : QString();
}

void StepDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.row() < 0 || index.row() >= m_steps.size())
        return;
    option->icon = iconFor(m_steps.at(index.row()).m_maneuver);
    option->decorationSize = IconSize;
    option->features |= QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::WrapText;
}

// The figures' column: their whole text, unless that would leave the
// instruction less than half of the row.
int StepDelegate::figuresWidth(const QStyleOptionViewItem &option, int rowWidth, int row) const
{
    const QString text = figures(row);
    if (text.isEmpty())
        return 0;
    return qBound(0, option.fontMetrics.horizontalAdvance(text) + 2, rowWidth / 2 - Gap - Margin);
}

// The width the list gives a row: its viewport's, as it has no sideways scrolling.
int StepDelegate::rowWidth(const QStyleOptionViewItem &option) const
{
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    return view ? view->viewport()->width() : option.rect.width();
}

void StepDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                         const QModelIndex &index) const
{
    const QString text = figures(index.row());
    if (text.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // Advances are rounded: a pixel to spare keeps a fitting text whole.
    const int textWidth = figuresWidth(option, option.rect.width(), index.row());

    // The whole row's background first, so that a selection spans the figures too.
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &row, painter, widget);

    QStyleOptionViewItem instruction = option;
    instruction.rect.setRight(option.rect.right() - Margin - textWidth - Gap);
    QStyledItemDelegate::paint(painter, instruction, index);

    const QRect area(option.rect.right() - Margin - textWidth + 1, option.rect.top(), textWidth,
                     option.rect.height());
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
    painter->restore();
}

QSize StepDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int width = rowWidth(option);
    const int figures = figuresWidth(option, width, index.row());
    // The instruction wraps in what the figures leave of the row.
    QStyleOptionViewItem instruction = option;
    instruction.rect = QRect(0, 0, qMax(1, width - (figures ? figures + Gap + Margin : 0)), 1);
    QSize size = QStyledItemDelegate::sizeHint(instruction, index);
    if (figures)
        size.rwidth() += figures + Gap + Margin;
    size.setWidth(qMin(size.width(), width));
    size.setHeight(qMax(size.height(), option.fontMetrics.height()));
    return size;
}
