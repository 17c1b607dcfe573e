#include "sheets/properties/CUserPropertySheet.h"

#include "sheets/properties/CAdvancedWnd.h"
#include "sheets/properties/CGeneralWnd.h"
#include "store/CUser.h"
#include "view/CAdminView.h"
#include "view/CRowObject.h"

CUserPropertySheet::CUserPropertySheet(QWidget *pParent)
    : CPropertySheet(QStringLiteral("Properties"), pParent, 0),
      m_pGeneral(new CGeneralWnd),
      m_pAdvanced(new CAdvancedWnd)
{
    setObjectName(QStringLiteral("CUserPropertySheet"));
    // A caption and a close box, nothing to resize or minimise: it only
    // shows what the clients report.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
    AddPage(m_pGeneral);
    AddPage(m_pAdvanced);
    // Both pages take the larger one's size, so switching tabs moves nothing.
    const QSize size = CGeneralWnd::TemplateSize(font());
    m_pGeneral->setMinimumSize(size);
    m_pAdvanced->setMinimumSize(size);
}

CUserPropertySheet::~CUserPropertySheet() = default;

int CUserPropertySheet::SetUser(CUser *pUser)
{
    if (!pUser)
        return 0;
    m_pUser = pUser;
    // Every page with a window, not only the one on screen; a page built
    // later fills itself when it is first shown.
    m_pGeneral->UpdateFromUser();
    m_pAdvanced->UpdateFromUser();
    return GetPageCount();
}

int CUserPropertySheet::SetUser(const CRowObject &object)
{
    return SetUser(object.GetUser());
}

void CUserPropertySheet::Toggle()
{
    if (!HasWindow())
        Create(false);
    if (isVisible()) {
        hide();
        return;
    }
    // The list keeps the keyboard: the sheet is something to glance at.
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
}

bool CUserPropertySheet::IsShown() const
{
    return HasWindow() && isVisible();
}

CUserPropertySheet *CUserPropertySheet::OnViewProperties(CAdminView *pView)
{
    if (!pView)
        return nullptr;
    auto *pSheet = qobject_cast<CUserPropertySheet *>(pView->GetPropertySheet());
    if (!pSheet) {
        pSheet = new CUserPropertySheet(pView);
        pView->SetPropertySheet(pSheet);
        connect(pView, &CAdminView::UserSelected, pSheet,
                qOverload<CUser *>(&CUserPropertySheet::SetUser));
    }
    pSheet->Toggle();
    if (const CRowObject object = pView->GetFirstSelectedObject())
        pSheet->SetUser(object);
    return pSheet;
}
