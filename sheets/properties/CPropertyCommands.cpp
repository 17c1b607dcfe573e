#include "sheets/properties/CPropertyCommands.h"

#include "framework/ResourceIds.h"
#include "sheets/properties/CDisplayWnd.h"
#include "sheets/properties/CUpgradeCommand.h"
#include "sheets/properties/CUserPropertySheet.h"
#include "view/CAdminView.h"

void CPropertyCommands::Install(CAdminView *pView)
{
    if (!pView)
        return;
    pView->InstallCommand(ID_VIEW_OPTIONS, [pView] { CDisplayWnd::OnViewOptions(pView); });
    pView->InstallCommand(ID_ACTIONS_UPGRADE,
                          [pView] { CUpgradeCommand::OnActionsUpgrade(pView); });
    pView->InstallCommand(ID_VIEW_PROPERTIES,
                          [pView] { CUserPropertySheet::OnViewProperties(pView); });
}
