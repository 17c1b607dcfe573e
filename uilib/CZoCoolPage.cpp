#include "uilib/CZoCoolPage.h"

#include "framework/CStringTable.h"
#include "uilib/CColorStatic.h"

CZoCoolPage::CZoCoolPage(int nTemplateId, int nCaptionId, QWidget *parent)
    : CPropertyPage(nCaptionId ? CStringTable::Load(nCaptionId) : QString(), parent),
      m_nTemplateId(nTemplateId), m_pColorStatic(new CColorStatic(this))
{
    m_pColorStatic->setObjectName(QStringLiteral("PageHeading"));
    // Shown only once a derived page places it.
    m_pColorStatic->hide();
}

bool CZoCoolPage::OnInitDialog()
{
    const bool bResult = CPropertyPage::OnInitDialog();
    // The caption is final only now: a form sets its title while the
    // controls are built.
    m_pColorStatic->setText(windowTitle());
    return bResult;
}
