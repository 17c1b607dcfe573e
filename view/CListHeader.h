#pragma once

#include <QHeaderView>

// The column headers of the extended list. A title wider than its section
// is shortened with "..." as the cells are, and then drawn from the left
// whatever the column's alignment, so that its beginning always shows.
class CListHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit CListHeader(QWidget *pParent = nullptr);

protected:
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override;
};
