#pragma once

#include "store/CGroup.h" // whole, so that CGroup * can travel in a queued signal

#include <QDialog>
#include <QPointer>

#include <memory>
#include <vector>

class CAdminDoc;
class CGroupTreeModel;
class CGroupTreeView;
class CUser;
namespace Ui {
class CEditGroupsDlg;
}

// The group editor: one tree of the roster's users and of groups with their
// members. Groups are built by dragging users or whole groups onto a group,
// and emptied by dragging members or groups out of the tree; "New group"
// adds one, a group's label is renamed in place, and "Upload" copies the
// selected group into the shared groups at once.
//
// The editor works on copies: OK hands them to the document (shared mode)
// or to the user (personal mode) and saves; Cancel drops them. A save that
// fails is told and changes nothing, and the dialog stays open.
class CEditGroupsDlg : public QDialog
{
    Q_OBJECT

public:
    enum { IDD = 150 };
    enum EMode {
        SharedGroups, // Edit › Edit groups...: the groups of Users.ini
        UserGroups,   // Edit › Edit user's groups...: one user's personal groups
    };

    // In personal mode the user's groups are first read again from its file.
    CEditGroupsDlg(CAdminDoc *pDoc, EMode eMode, CUser *pUser = nullptr,
                   QWidget *pParent = nullptr);
    ~CEditGroupsDlg() override;

    int DoModal();

    EMode GetMode() const { return m_eMode; }
    CUser *GetUser() const { return m_pUser; }
    CGroupTreeView *GetTree() const;
    CGroupTreeModel *GetModel() const { return m_pModel; }

    // "New group": a group named "New group #<n>" on top, its label open for
    // editing. The numbers count on across openings of the dialog.
    QModelIndex OnNewGroup();
    // "Upload" on the selected group.
    void OnUpload();
    // Copies group into the shared groups and saves them. When a shared
    // group already has its name, asks whether to upload under a new name
    // (Yes), to overwrite that group (No), or not at all (Cancel). Answers
    // the shared group added or overwritten, or none. A save that fails is
    // told and puts the shared groups back as they were.
    CGroup *UploadGroup(const CGroup &group);
    // OK's work: hands copies of the groups over and saves them. On a
    // failed save the previous groups come back, the administrator is told
    // why, and the answer is false. Refused when the shared groups were
    // read again from the file since this tree was built.
    bool Commit();

public Q_SLOTS:
    void accept() override;

Q_SIGNALS:
    // The document is about to delete every shared group (rows showing them
    // must go first).
    void SharedGroupsAboutToBeReplaced();
    // A shared group was added or changed; its row should show it.
    void SharedGroupChanged(CGroup *pGroup);
    // The set of shared groups changed (after an upload, and after OK in
    // shared mode).
    void SharedGroupsChanged();

protected:
    // The dialog around the tree takes what is dragged out of the tree.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool IsTreeDrag(const QDropEvent *event) const;
    void OnCurrentChanged(const QModelIndex &current);
    void OnRenameRefused(const QString &csWhy);
    bool CommitShared();
    bool CommitUser();
    void ReplaceSharedGroups(std::vector<std::unique_ptr<CGroup>> groups);

    // Groups created in this run of the program, for the "New group" names.
    static int s_nGroupCounter;

    QPointer<CAdminDoc> m_pDoc;
    // The document's groups generation that this tree was built from.
    quint64 m_nGroupsGeneration = 0;
    EMode m_eMode;
    CUser *m_pUser;
    std::unique_ptr<Ui::CEditGroupsDlg> m_pUi;
    CGroupTreeModel *m_pModel = nullptr;
};
