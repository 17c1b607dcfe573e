#include "view/CListViewExDelegate.h"

#include "framework/CImageList.h"
#include "view/CListViewEx.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <QPixmap>

namespace {

// Label text is drawn this far in from the first cell's edges, other texts
// half the cell offset in from theirs.
constexpr int kLabelInset = CListViewEx::kLabelOffset / 2;
constexpr int kCellInset = CListViewEx::kCellOffset / 2;
constexpr int kIconMargin = 2;

const int kTextFlags = Qt::TextSingleLine | Qt::TextDontClip;

} // namespace

CListViewExDelegate::CListViewExDelegate(CListViewEx *pList)
    : QStyledItemDelegate(pList), m_pList(pList)
{
}

void CListViewExDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const bool bHighlighted = option.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Active, bHighlighted ? QPalette::HighlightedText
                                                                        : QPalette::Text));
    if (index.column() == 0) {
        PaintFirstCell(painter, option, index, bHighlighted);
    } else {
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty()) {
            const QString shown = CListViewEx::MakeShortString(option.fontMetrics, text,
                                                               option.rect.width(),
                                                               CListViewEx::kCellOffset);
            const int nFormat = CListViewEx::FormatOfAlignment(
                Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()));
            const Qt::Alignment alignment =
                CListViewEx::CellAlignment(index.column(), nFormat, shown != text);
            painter->drawText(option.rect.adjusted(kCellInset, 0, -kCellInset, 0),
                              int(alignment) | kTextFlags, shown);
        }
    }
    painter->restore();
}

void CListViewExDelegate::PaintFirstCell(QPainter *painter, const QStyleOptionViewItem &option,
                                         const QModelIndex &index, bool bHighlighted) const
{
    const QRect cell = option.rect;
    const int nState = m_pList->GetRowState(index);

    const int nStateImage = (nState & CListViewEx::LVIS_STATEIMAGEMASK) >> 12;
    if (const CImageList *pStates = m_pList->GetImageList(CListViewEx::LVSIL_STATE);
        pStates && nStateImage != 0) {
        const QSize size = pStates->GetImageSize();
        pStates->GetIcon(nStateImage - 1).paint(painter, QRect(cell.topLeft(), size));
    }

    const CImageList *pSmall = m_pList->GetImageList(CListViewEx::LVSIL_SMALL);
    if (pSmall && cell.left() < cell.right() - 1) {
        const int nImage = index.data(CListViewEx::ImageRole).toInt();
        const int nSize = CListViewEx::kSmallIconSize;
        const QRect target(cell.left() + m_pList->m_cxStateImageOffset + kIconMargin,
                           cell.top() + (cell.height() - nSize) / 2, nSize, nSize);
        PaintImage(painter, target, pSmall->GetIcon(nImage), nState, bHighlighted);
    }

    QRect label = cell;
    label.setLeft(m_pList->GetLabelLeft(cell));
    const QString text = index.data(Qt::DisplayRole).toString();
    const QString shown = CListViewEx::MakeShortString(option.fontMetrics, text, label.width(),
                                                       CListViewEx::kLabelOffset);
    painter->drawText(label.adjusted(kLabelInset, 0, -kLabelInset, 0),
                      int(CListViewEx::CellAlignment(0, 0, false)) | kTextFlags, shown);
}

void CListViewExDelegate::PaintImage(QPainter *painter, const QRect &target, const QIcon &icon,
                                     int nState, bool bHighlighted) const
{
    if (icon.isNull())
        return;
    const CListViewEx::ImageBlend blend = CListViewEx::ImageBlendFor(nState, bHighlighted);
    if (blend == CListViewEx::ImageBlend::None) {
        icon.paint(painter, target);
        return;
    }
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap pixmap = icon.pixmap(target.size(), ratio);
    QColor tint = blend == CListViewEx::ImageBlend::Background
                      ? m_pList->GetBkColor()
                      : m_pList->palette().color(QPalette::Active, QPalette::Highlight);
    tint.setAlpha(128);
    {
        // Half of every opaque pixel takes the tint; transparent ones stay so.
        QPainter blender(&pixmap);
        blender.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        blender.fillRect(pixmap.rect(), tint);
    }
    painter->drawPixmap(target, pixmap);
}

QSize CListViewExDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    const int nInset = index.column() == 0 ? CListViewEx::kLabelOffset : CListViewEx::kCellOffset;
    const int nHeight = qMax(option.fontMetrics.height() + 4, CListViewEx::kSmallIconSize + 2);
    return QSize(option.fontMetrics.horizontalAdvance(text) + nInset, nHeight);
}

bool CListViewExDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view,
                                    const QStyleOptionViewItem &option, const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.data(Qt::DisplayRole).toString();
    int nWidth = option.rect.width();
    int nOffset = CListViewEx::kCellOffset;
    if (index.column() == 0) {
        nWidth = option.rect.right() + 1 - m_pList->GetLabelLeft(option.rect);
        nOffset = CListViewEx::kLabelOffset;
    }
    if (CListViewEx::MakeShortString(option.fontMetrics, text, nWidth, nOffset) != text)
        QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
    else
        QToolTip::hideText();
    return true;
}
