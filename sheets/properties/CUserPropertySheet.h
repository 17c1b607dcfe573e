#pragma once

#include "framework/CPropertySheet.h"

class CAdminView;
class CAdvancedWnd;
class CGeneralWnd;
class CRowObject;
class CUser;

// "Properties": the modeless window beside the user list that shows one user
// at a glance, on the General and the Advanced page. It edits nothing and has
// no buttons. The view owns one sheet object from the first Properties
// command on; the window is created hidden, shown and hidden by the command,
// destroyed by its close box and created again by the next command. While the
// object exists it follows the list's selection, shown or not.
class CUserPropertySheet : public CPropertySheet
{
    Q_OBJECT

public:
    explicit CUserPropertySheet(QWidget *pParent = nullptr);
    ~CUserPropertySheet() override;

    // Makes the user the one shown and refreshes every page that has a
    // window. Returns the page count, or 0 (and nothing changes) without a
    // user; a group row holds no user.
    int SetUser(CUser *pUser);
    int SetUser(const CRowObject &object);
    CUser *GetUser() const { return m_pUser; }

    // Creates the window when there is none, then hides it when it is shown
    // and otherwise shows it without taking the focus from the list.
    void Toggle();
    bool IsShown() const;

    CGeneralWnd *GetGeneralPage() const { return m_pGeneral; }
    CAdvancedWnd *GetAdvancedPage() const { return m_pAdvanced; }

    // View › Properties (32793): the first command gives the view its sheet
    // and makes the sheet follow the selection; every command toggles it
    // and shows the first selected row's user.
    static CUserPropertySheet *OnViewProperties(CAdminView *pView);

private:
    CUser *m_pUser = nullptr;
    CGeneralWnd *m_pGeneral;
    CAdvancedWnd *m_pAdvanced;
};
