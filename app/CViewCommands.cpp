#include "app/CViewCommands.h"

#include "framework/CFrameWnd.h"
#include "framework/CStatusBarEx.h"
#include "framework/ResourceIds.h"
#include "groups/CApplyGroupsDlg.h"
#include "groups/CEditGroupsDlg.h"
#include "sheets/configure/CConfigureSheet.h"
#include "sheets/configure/CConfigureTarget.h"
#include "sheets/configure/CEditModelsDlg.h"
#include "sheets/properties/CPropertyCommands.h"
#include "sheets/restrictions/CRestrictionsSheet.h"
#include "store/CAdminDoc.h"
#include "view/CAdminView.h"

#include <QPointer>

namespace {

// The first selected row's object, as the configuration pages take it.
CConfigureTarget::Object FirstSelected(const CAdminView *pView)
{
    const CRowObject object = pView->GetFirstSelectedObject();
    if (object.IsUser())
        return object.GetUser();
    if (object.IsGroup())
        return object.GetGroup();
    return std::monostate{};
}

CConfigureTarget::StatusSink StatusSinkOf(CFrameWnd *pFrame)
{
    QPointer<CFrameWnd> frame(pFrame);
    return [frame](const QString &text) {
        if (frame && frame->GetStatusBar())
            frame->GetStatusBar()->showMessage(text);
    };
}

QList<CUser *> SelectedUsers(const CAdminView *pView)
{
    QList<CUser *> users;
    pView->GetSelectedUsers(users);
    return users;
}

// After the group editor changed the shared groups, the list shows the new
// ones; the old rows go before the document deletes the objects they show.
void ConnectGroupEditor(CEditGroupsDlg &dlg, CAdminView *pView)
{
    QObject::connect(&dlg, &CEditGroupsDlg::SharedGroupsAboutToBeReplaced, pView,
                     [pView] { pView->RemoveGroupRows(); });
    QObject::connect(&dlg, &CEditGroupsDlg::SharedGroupChanged, pView,
                     [pView](CGroup *pGroup) { pView->UpdateGroupRow(pGroup); });
    QObject::connect(&dlg, &CEditGroupsDlg::SharedGroupsChanged, pView, [pView] {
        pView->FillList(false);
        if (auto *pApply = qobject_cast<CApplyGroupsDlg *>(pView->GetApplyGroupsDlg()))
            pApply->OnSharedGroupsChanged();
    });
}

void EditGroups(CAdminView *pView, CAdminDoc *pDoc, CEditGroupsDlg::EMode eMode)
{
    CUser *pUser = nullptr;
    if (eMode == CEditGroupsDlg::UserGroups) {
        pUser = pView->GetFirstSelectedObject().GetUser();
        if (!pUser)
            return;
    }
    CEditGroupsDlg dlg(pDoc, eMode, pUser, pView->window());
    ConnectGroupEditor(dlg, pView);
    dlg.DoModal();
}

void ApplyGroups(CAdminView *pView, CAdminDoc *pDoc)
{
    auto *pDlg = qobject_cast<CApplyGroupsDlg *>(pView->GetApplyGroupsDlg());
    if (!pDlg) {
        pDlg = new CApplyGroupsDlg(pDoc, [pView] { return SelectedUsers(pView); }, pView->window());
        QObject::connect(pView, &CAdminView::SelectionStateChanged, pDlg,
                         &CApplyGroupsDlg::OnSelectionChanged);
        // The shared groups are read again after a switch of directory.
        QObject::connect(pDoc, &CAdminDoc::GroupsReplaced, pDlg,
                         &CApplyGroupsDlg::OnSharedGroupsChanged);
        pView->SetApplyGroupsDlg(pDlg);
    }
    pDlg->ShowOrHide();
}

} // namespace

void CViewCommands::Install(CAdminView *pView, CAdminDoc *pDoc, CFrameWnd *pFrame)
{
    CPropertyCommands::Install(pView);
    pView->InstallCommand(ID_ACTIONS_RESTRICTIONS, [pView] {
        CRestrictionsSheet::Run(pView->window(), SelectedUsers(pView));
    });
    pView->InstallCommand(ID_ACTIONS_CONFIGURE, [pView, pDoc, pFrame] {
        CConfigureSheet::Run(pView->window(), pDoc, FirstSelected(pView), StatusSinkOf(pFrame));
    });
    pView->InstallCommand(ID_EDIT_MODELS, [pView, pDoc, pFrame] {
        CEditModelsDlg::Run(pView->window(), pDoc, FirstSelected(pView), StatusSinkOf(pFrame));
    });
    pView->InstallCommand(ID_EDIT_GROUPS, [pView, pDoc] {
        EditGroups(pView, pDoc, CEditGroupsDlg::SharedGroups);
    });
    pView->InstallCommand(ID_EDIT_USER_GROUPS, [pView, pDoc] {
        EditGroups(pView, pDoc, CEditGroupsDlg::UserGroups);
    });
    pView->InstallCommand(ID_ACTIONS_APPLY_GROUPS, [pView, pDoc] { ApplyGroups(pView, pDoc); });
}
