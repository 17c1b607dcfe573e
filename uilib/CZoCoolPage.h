#pragma once

#include "framework/CPropertyPage.h"

class CColorStatic;

// Base of the pages built on the shared UI library (the restriction pages).
// Constructed with the page's form id and a caption string id; with caption
// id 0 the form's own title is the tab text. Derived pages call the base
// OnInitDialog first. The page owns a heading (CColorStatic) that lasts as
// long as the page object, so a derived page may put it in its layout each
// time its controls are built.
class CZoCoolPage : public CPropertyPage
{
    Q_OBJECT

public:
    explicit CZoCoolPage(int nTemplateId = 0, int nCaptionId = 0, QWidget *parent = nullptr);

    int GetTemplateId() const { return m_nTemplateId; }
    CColorStatic *GetColorStatic() const { return m_pColorStatic; }

    bool OnInitDialog() override;

private:
    int m_nTemplateId;
    CColorStatic *m_pColorStatic;
};
