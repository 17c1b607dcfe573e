#pragma once

class CAdminView;

// The user list's commands served by this folder, installed on the view in
// one call: View › Options... (32791), Actions › Upgrade... (32792) and
// View › Properties (32793, with its check mark while the sheet is shown).
class CPropertyCommands
{
public:
    static void Install(CAdminView *pView);
};
