#pragma once

#include "view/CColumn.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

class QWidget;

// The column layout of the user list: up to eleven columns, one per user
// field, always ordered by the absolute value of their positions. There is
// one layout for the whole program (Shared()), kept by the list and changed
// by the Display page; it is read from the current user's settings when the
// list is first shown and written back when the list goes away.
class CColumnArray
{
public:
    static constexpr int kFieldCount = 11;

    CColumnArray() = default;
    CColumnArray(const CColumnArray &) = delete;
    CColumnArray &operator=(const CColumnArray &) = delete;
    ~CColumnArray() = default;

    // The program's one layout.
    static CColumnArray &Shared();

    // Inserts before the first column whose absolute position is not less
    // than the new one's (so the newest of equal positions comes first).
    // Returns its index. The array owns the column.
    int Add(std::unique_ptr<CColumn> pColumn);
    int Add(const CColumn &column) { return Add(std::make_unique<CColumn>(column)); }
    void RemoveAll();

    int GetSize() const { return int(m_columns.size()); }
    bool IsEmpty() const { return m_columns.empty(); }
    CColumn *GetAt(int nIndex) const;
    // The first column whose position is nPosition, or none.
    CColumn *FindColumnByPosition(int nPosition) const;
    int GetVisibleCount() const;
    // The user-field index shown by each list column, left to right.
    QList<int> GetVisibleFields() const;

    // Gives the visible columns the positions 0, 1, 2, ... in their order,
    // so that every list column has exactly one column and none is skipped.
    void NormalizePositions();

    // Reads the layout from the current user's settings: the default layout
    // for an empty key, a hidden column for each title without a value.
    // When the settings cannot be opened or read, says so in a message box
    // (parent pParent), takes the default layout for this run and never
    // writes it back, so the stored layout is not overwritten. False then.
    bool LoadFromRegistry(QWidget *pParent);
    // Writes one value per column, in order, stopping at the first write
    // that fails. Nothing is written after a failed load. False on failure.
    bool SaveToRegistry() const;
    // Whether the last load found a layout stored in the settings (false on
    // a first start, when the default layout was taken).
    bool HadStoredLayout() const { return m_bStored; }
    // The default layout: all eleven columns in field order.
    void LoadDefaults();

    static QString GetKeyPath();
    static QString GetTitle(int nField);
    static QString GetDefaultStoredText(int nField);
    static QString GetOpenFailedMessage();

private:
    std::vector<std::unique_ptr<CColumn>> m_columns;
    bool m_bSaveBlocked = false;
    bool m_bStored = false;
};
