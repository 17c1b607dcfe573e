#include "view/CListHeader.h"

#include "view/CListViewEx.h"

#include <QStyleOptionHeader>

CListHeader::CListHeader(QWidget *pParent) : QHeaderView(Qt::Horizontal, pParent)
{
}

void CListHeader::initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    if (option->text.isEmpty() || !option->icon.isNull())
        return;
    // The room the style leaves for the title: the section less its margins
    // and the sort arrow.
    QStyleOptionHeader section(*option);
    section.rect = QRect(0, 0, sectionSize(logicalIndex), height());
    const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &section, this);
    const QString shown =
        CListViewEx::MakeShortString(option->fontMetrics, option->text, label.width(), 0);
    if (shown == option->text)
        return;
    option->text = shown;
    option->textAlignment = (option->textAlignment & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
}
