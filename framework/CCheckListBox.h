#pragma once

#include <QListWidget>
#include <QString>

// A list whose entries carry a check box, with two or three states.
//
// States are 0 unchecked, 1 checked, 2 mixed (an entry that stands for several objects
// that differ). A click on an entry's box, or the space bar on the current entry, moves
// unchecked to checked and checked back to unchecked. A mixed entry becomes checked, the
// choice an administrator most often means; and an entry that the program set to mixed
// keeps mixed in its cycle (mixed, checked, unchecked, mixed...), so that "leave each
// one as it is" can be had back after a stray click. Clicks never make mixed out of an
// entry that the program set to a definite state, and never in the two-state style.
//
// Entries are added through AddString()/InsertString(), not through QListWidget's own
// functions, which would leave them without a check box.
class CCheckListBox : public QListWidget
{
    Q_OBJECT

public:
    enum ECheckStyle { TwoState, ThreeState };

    explicit CCheckListBox(QWidget* pParent = nullptr);

    // Three-state by default. Changing the style keeps the entries' states.
    void SetCheckStyle(ECheckStyle eStyle) { m_eCheckStyle = eStyle; }
    ECheckStyle GetCheckStyle() const { return m_eCheckStyle; }
    // A sorted list places AddString()'s entries in case-insensitive order of their text.
    void SetSorted(bool bSorted) { m_bSorted = bSorted; }
    bool IsSorted() const { return m_bSorted; }

    // Answer the entry's index, -1 on a bad index.
    int AddString(const QString& strText);
    int InsertString(int nIndex, const QString& strText);
    bool DeleteString(int nIndex);
    void ResetContent() { clear(); }
    int GetCount() const { return count(); }
    QString GetText(int nIndex) const;
    int FindStringExact(const QString& strText) const;

    // A non-owning pointer kept with the entry.
    bool SetItemDataPtr(int nIndex, void* pData);
    void* GetItemDataPtr(int nIndex) const;
    int FindItemDataPtr(const void* pData) const;

    // Does not emit CheckChanged(): that signal reports the administrator's changes.
    // Mixed is refused in the two-state style, like any state outside 0 to 2.
    bool SetCheck(int nIndex, int nCheck);
    // -1 on a bad index.
    int GetCheck(int nIndex) const;

    void Enable(int nIndex, bool bEnabled = true);
    bool IsEnabled(int nIndex) const;

    int GetCurSel() const { return currentRow(); }
    void SetCurSel(int nIndex) { setCurrentRow(nIndex); }

Q_SIGNALS:
    // The administrator changed the check of entry nIndex.
    void CheckChanged(int nIndex);

private:
    friend class CCheckListBoxDelegate;

    // Moves the entry one step along its cycle, as the administrator asked.
    void ToggleCheck(int nIndex);
    int SortedPosition(const QString& strText) const;
    int NextCheck(int nIndex) const;

    ECheckStyle m_eCheckStyle = ThreeState;
    bool m_bSorted = false;
};
