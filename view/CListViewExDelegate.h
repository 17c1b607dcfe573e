#pragma once

#include <QStyledItemDelegate>

class CListViewEx;

// Draws the contents of one cell of a CListViewEx: in the first cell the
// state image, the small image and the label, elsewhere the cell's text.
// The list itself fills the row's highlight and draws the focus frame; the
// option's State_Selected says whether the row is drawn highlighted.
class CListViewExDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit CListViewExDelegate(CListViewEx *pList);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // A text cut short shows whole in a tooltip.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

private:
    void PaintFirstCell(QPainter *painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index, bool bHighlighted) const;
    void PaintImage(QPainter *painter, const QRect &target, const QIcon &icon, int nState,
                    bool bHighlighted) const;

    CListViewEx *m_pList;
};
