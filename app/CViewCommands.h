#pragma once

class CAdminDoc;
class CAdminView;
class CFrameWnd;

// The user list's commands whose work lives in the sheets and dialogs
// (restrictions, configuration, models, groups, properties, upgrade): the
// list itself knows only their enabling rules, so the application hands it
// the handlers once the list exists.
class CViewCommands
{
public:
    static void Install(CAdminView *pView, CAdminDoc *pDoc, CFrameWnd *pFrame);
};
