#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class CAdminDoc;
class CCheckListBox;
class CGroup;
class CUser;
namespace Ui {
class CApplyGroupsDlg;
}

// "Apply Groups": copies shared groups into the personal groups of the users
// selected in the list. It stays open beside the list; each entry shows
// whether all (checked), none (unchecked) or some (mixed) of the selected
// users already have a group of that name, and follows the selection.
//
// Entries are known by the group's name and the group is looked up in the
// document when it is applied: the group editor replaces the shared group
// objects, and an entry must never reach one it has deleted.
class CApplyGroupsDlg : public QDialog
{
    Q_OBJECT

public:
    enum { IDD = 151 };
    enum { Unchecked = 0, Checked = 1, Mixed = 2 };
    using SelectionFn = std::function<QList<CUser *>()>;

    // selectedUsers answers the list's selected users (group rows giving
    // their members), each once, in list order.
    CApplyGroupsDlg(CAdminDoc *pDoc, SelectionFn selectedUsers, QWidget *pParent = nullptr);
    ~CApplyGroupsDlg() override;

    CCheckListBox *GetGroupList() const;
    // The entry of the group named name (byte for byte), or -1.
    int FindEntry(const QByteArray &name) const;

    // Actions › Apply groups...: hides the window when it is shown; else
    // shows it without taking the focus from the list, with fresh checks.
    void ShowOrHide();
    // Reads the selected users' groups from their files and sets each
    // entry's check from them; with no user selected the checks stay. The
    // list is refilled first when asked, or when the shared groups are no
    // longer those it shows.
    void Refresh(bool bRebuild);
    // "Apply": gives every selected user a copy of each checked group, asks
    // before touching a group of the same name, and saves each user's file.
    // The files are read and written several at a time behind a progress
    // dialog that can cancel between users; users to be asked about are
    // done after, one by one.
    void OnApply();

public Q_SLOTS:
    // The list's selection changed. While the window is hidden nothing is
    // read; showing it refreshes.
    void OnSelectionChanged();
    // The group editor changed the shared groups.
    void OnSharedGroupsChanged();

private:
    QList<CUser *> SelectedUsers() const;
    void Rebuild(const QList<QByteArray> &names);
    QByteArray EntryName(int nIndex) const;
    void ApplyGroup(CUser *pUser, const CGroup &group);

    QPointer<CAdminDoc> m_pDoc;
    SelectionFn m_selectedUsers;
    std::unique_ptr<Ui::CApplyGroupsDlg> m_pUi;
    // The shared groups' names the list was filled from, in document order.
    QList<QByteArray> m_builtNames;
    // Several selection changes in a row (a click, a range) make one refresh.
    QTimer m_refreshTimer;
    bool m_bApplying = false;
};
