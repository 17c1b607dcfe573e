#include "view/CListViewEx.h"

#include "framework/CImageList.h"
#include "view/CListHeader.h"
#include "view/CListViewExDelegate.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QResizeEvent>
#include <QStyleOptionFocusRect>

namespace {

const QString kDots = QStringLiteral("...");

// Gap between the small image and the label.
constexpr int kIconMargin = 2;

} // namespace

CListViewEx::CListViewEx(QWidget *parent) : QTreeView(parent)
{
    setHeader(new CListHeader(this));
    m_clrTextBk = palette().color(QPalette::Base);
    m_clrBkgnd = m_clrTextBk;
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(true);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setItemDelegate(new CListViewExDelegate(this));
}

CListViewEx::~CListViewEx() = default;

void CListViewEx::SetClientWidthSel(bool bOn)
{
    if (m_bClientWidthSel == bOn)
        return;
    m_bClientWidthSel = bOn;
    viewport()->update();
}

void CListViewEx::SetShowSelAlways(bool bOn)
{
    m_bShowSelAlways = bOn;
    viewport()->update();
}

void CListViewEx::SetImageList(const CImageList *pImages, int nType)
{
    switch (nType) {
    case LVSIL_NORMAL:
        m_pNormalImages = pImages;
        break;
    case LVSIL_SMALL:
        m_pSmallImages = pImages;
        break;
    case LVSIL_STATE:
        m_pStateImages = pImages;
        m_cxStateImageOffset = pImages ? pImages->GetImageSize().width() : 0;
        break;
    default:
        return;
    }
    scheduleDelayedItemsLayout();
    viewport()->update();
}

const CImageList *CListViewEx::GetImageList(int nType) const
{
    switch (nType) {
    case LVSIL_NORMAL: return m_pNormalImages;
    case LVSIL_SMALL: return m_pSmallImages;
    case LVSIL_STATE: return m_pStateImages;
    default: return nullptr;
    }
}

void CListViewEx::SetTextBkColor(const QColor &color)
{
    m_clrTextBk = color;
    viewport()->update();
}

void CListViewEx::SetBkColor(const QColor &color)
{
    m_clrBkgnd = color;
    viewport()->update();
}

int CListViewEx::GetRowState(const QModelIndex &index) const
{
    if (!index.isValid())
        return 0;
    const QModelIndex first = index.siblingAtColumn(0);
    int nState = first.data(StateRole).toInt()
                 & ~(LVIS_SELECTED | LVIS_FOCUSED);
    if (selectionModel()) {
        if (selectionModel()->isSelected(first))
            nState |= LVIS_SELECTED;
        if (selectionModel()->currentIndex().row() == first.row()
            && selectionModel()->currentIndex().parent() == first.parent())
            nState |= LVIS_FOCUSED;
    }
    return nState;
}

int CListViewEx::GetLabelLeft(const QRect &firstCell) const
{
    int nLeft = firstCell.left() + m_cxStateImageOffset;
    if (m_pSmallImages)
        nLeft += kIconMargin + kSmallIconSize + kIconMargin;
    return nLeft;
}

QRect CListViewEx::RowBounds(const QRect &rowRect) const
{
    return QRect(-header()->offset(), rowRect.top(), header()->length(), rowRect.height());
}

QRect CListViewEx::GetHighlightRect(const QModelIndex &index) const
{
    const QRect row = visualRect(index.siblingAtColumn(0));
    if (!row.isValid())
        return {};
    const QRect firstCell(columnViewportPosition(0), row.top(), columnWidth(0), row.height());
    return HighlightRect(RowBounds(row), GetLabelLeft(firstCell), m_cxClient, m_bClientWidthSel);
}

QString CListViewEx::MakeShortString(const TextWidth &width, const QString &text, int nWidth,
                                     int nOffset)
{
    if (text.isEmpty() || width(text) + nOffset <= nWidth)
        return text;
    const int cxDots = width(kDots);
    const auto fits = [&](qsizetype m) {
        return width(QStringView(text).first(m)) + nOffset + cxDots <= nWidth;
    };
    // Prefix widths grow with the prefix, so the longest prefix that fits is
    // found by halving; one character always stays.
    qsizetype lo = 1;
    qsizetype hi = text.size() - 1;
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    qsizetype m = qMax<qsizetype>(1, lo);
    // Never cut between the two halves of a surrogate pair.
    if (m < text.size() && text.at(m - 1).isHighSurrogate())
        m = m > 1 ? m - 1 : m + 1;
    return text.first(m) + kDots;
}

QString CListViewEx::MakeShortString(const QFontMetrics &metrics, const QString &text,
                                     int nWidth, int nOffset)
{
    return MakeShortString(
        [&metrics](QStringView s) { return metrics.horizontalAdvance(s.toString()); }, text,
        nWidth, nOffset);
}

Qt::Alignment CListViewEx::CellAlignment(int nColumn, int nFormat, bool bShortened)
{
    Qt::Alignment horizontal = Qt::AlignLeft;
    if (nColumn != 0 && !bShortened) {
        if (nFormat == 1)
            horizontal = Qt::AlignRight;
        else if (nFormat == 2)
            horizontal = Qt::AlignHCenter;
    }
    return horizontal | Qt::AlignVCenter;
}

int CListViewEx::FormatOfAlignment(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return 1;
    if (alignment & Qt::AlignHCenter)
        return 2;
    return 0;
}

bool CListViewEx::IsHighlighted(bool bHasFocus, bool bShowSelAlways, int nState)
{
    return ((bHasFocus || bShowSelAlways) && (nState & LVIS_SELECTED))
           || (nState & LVIS_DROPHILITED);
}

QRect CListViewEx::HighlightRect(const QRect &rowBounds, int nLabelLeft, int cxClient,
                                 bool bClientWidthSel)
{
    QRect rect = rowBounds;
    rect.setLeft(nLabelLeft);
    // Widths here are exclusive right edges, as the client width is.
    if (bClientWidthSel && rect.left() + rect.width() < cxClient)
        rect.setWidth(cxClient - rect.left());
    return rect;
}

CListViewEx::ImageBlend CListViewEx::ImageBlendFor(int nState, bool bHighlighted)
{
    if (nState & LVIS_CUT)
        return ImageBlend::Background;
    if (bHighlighted)
        return ImageBlend::Highlight;
    return ImageBlend::None;
}

void CListViewEx::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const
{
    const bool bHasFocus = hasFocus();
    const int nState = GetRowState(index);
    const bool bHighlighted = IsHighlighted(bHasFocus, m_bShowSelAlways, nState);
    const QRect firstCell(columnViewportPosition(0), option.rect.top(), columnWidth(0),
                          option.rect.height());
    const QRect rcHighlight = HighlightRect(RowBounds(option.rect), GetLabelLeft(firstCell),
                                            m_cxClient, m_bClientWidthSel);
    // The selection colour is the active one even without focus: a list
    // that keeps its selection shown must not make it look disabled.
    painter->fillRect(rcHighlight, bHighlighted
                                       ? palette().color(QPalette::Active, QPalette::Highlight)
                                       : m_clrTextBk);

    QStyleOptionViewItem cellOption = option;
    cellOption.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    if (bHighlighted)
        cellOption.state |= QStyle::State_Selected;
    const QHeaderView *pHeader = header();
    for (int nVisual = 0; nVisual < pHeader->count(); ++nVisual) {
        const int nColumn = pHeader->logicalIndex(nVisual);
        if (pHeader->isSectionHidden(nColumn))
            continue;
        const QModelIndex cell = index.siblingAtColumn(nColumn);
        cellOption.rect = QRect(columnViewportPosition(nColumn), option.rect.top(),
                                columnWidth(nColumn), option.rect.height());
        if (cellOption.rect.right() < 0 || cellOption.rect.left() > viewport()->width())
            continue;
        itemDelegateForIndex(cell)->paint(painter, cellOption, cell);
    }
    if ((nState & LVIS_FOCUSED) && bHasFocus)
        DrawFocus(painter, rcHighlight);
}

void CListViewEx::DrawFocus(QPainter *painter, const QRect &rect) const
{
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect;
    focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    focus.backgroundColor = palette().color(QPalette::Active, QPalette::Highlight);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, this);
}

void CListViewEx::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    m_cxClient = viewport()->width();
}

QRegion CListViewEx::visualRegionForSelection(const QItemSelection &selection) const
{
    const QRegion region = QTreeView::visualRegionForSelection(selection);
    if (!m_bClientWidthSel)
        return region;
    QRegion stretched;
    const int cxClient = viewport()->width();
    for (const QRect &rect : region)
        stretched += QRect(rect.left(), rect.top(), qMax(rect.width(), cxClient - rect.left()),
                           rect.height());
    return stretched;
}

void CListViewEx::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    UpdateRowToClientEdge(previous);
    UpdateRowToClientEdge(current);
}

void CListViewEx::UpdateRowToClientEdge(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const QRect row = visualRect(index.siblingAtColumn(0));
    if (row.isValid())
        viewport()->update(QRect(0, row.top(), viewport()->width(), row.height()));
}
