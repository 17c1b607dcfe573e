#include "sheets/restrictions/CRestrictionPage.h"

#include "sheets/restrictions/CRestrictionPicture.h"
#include "sheets/restrictions/CThreeStateCheckBox.h"
#include "store/CRestrictions.h"
#include "uilib/CColorStatic.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

CRestrictionPage::CRestrictionPage(int nTemplateId, int nGroup, const QString &csTitle,
                                   QList<Box> boxes, const QList<quint32> &restrictions,
                                   QWidget *parent)
    : CZoCoolPage(nTemplateId, 0, parent), m_nGroup(nGroup), m_boxes(std::move(boxes)),
      m_restrictions(restrictions)
{
    Q_ASSERT(m_boxes.size() <= int(std::size(m_nStates)));
    // The tab shows the title before the page is ever built.
    setWindowTitle(csTitle);
    // Pages are built only when first shown; knowing every page's size now
    // lets the sheet open at a size that fits them all, instead of growing
    // under the administrator's pointer at a tab switch.
    QWidget probe;
    auto *pHeading = new CColorStatic(&probe);
    pHeading->setText(csTitle);
    BuildControls(&probe, pHeading, m_nGroup, m_boxes);
    setMinimumSize(probe.layout()->minimumSize());
}

int CRestrictionPage::GetBoxState(int nBox) const
{
    return nBox >= 0 && nBox < m_boxes.size() ? m_nStates[nBox] : Unchecked;
}

QString CRestrictionPage::BoxName(int nControlId)
{
    return QStringLiteral("IDC_CHECK%1").arg(nControlId);
}

int CRestrictionPage::ComputeBoxState(const QList<quint32> &restrictions, int nBit)
{
    const quint32 bit = 1u << (CRestrictions::ActiveShift + nBit);
    qsizetype allowed = 0;
    for (quint32 word : restrictions)
        allowed += (word & bit) ? 1 : 0;
    if (allowed == 0)
        return Unchecked;
    return allowed == restrictions.size() ? Checked : Mixed;
}

quint32 CRestrictionPage::FoldBoxState(quint32 word, int nBit, int nState)
{
    const quint32 requested = 1u << nBit;
    bool allow;
    switch (nState) {
    case Checked: allow = true; break;
    case Unchecked: allow = false; break;
    default: allow = word & (requested << CRestrictions::ActiveShift); break;
    }
    return allow ? (word | requested) : (word & ~requested);
}

void CRestrictionPage::CreateControls()
{
    GetColorStatic()->show();
    m_pBoxes = BuildControls(this, GetColorStatic(), m_nGroup, m_boxes);
}

QList<QPointer<CThreeStateCheckBox>> CRestrictionPage::BuildControls(QWidget *pHost,
                                                                     QWidget *pHeading,
                                                                     int nGroup,
                                                                     const QList<Box> &boxes)
{
    QList<QPointer<CThreeStateCheckBox>> pBoxes;
    auto *pBoxColumn = new QVBoxLayout;
    pBoxColumn->addWidget(pHeading);
    pBoxColumn->addSpacing(6);
    for (const Box &box : boxes) {
        auto *pBox = new CThreeStateCheckBox(QString::fromLatin1(box.pszLabel), pHost);
        pBox->setObjectName(BoxName(box.nControlId));
        pBoxColumn->addWidget(pBox);
        pBoxes.append(pBox);
    }
    pBoxColumn->addStretch(1);

    auto *pLayout = new QHBoxLayout(pHost);
    pLayout->addWidget(new CRestrictionPicture(nGroup, pHost), 0, Qt::AlignTop);
    pLayout->addSpacing(8);
    pLayout->addLayout(pBoxColumn, 1);
    return pBoxes;
}

bool CRestrictionPage::DoDataExchange(bool bSaveAndValidate)
{
    for (int i = 0; i < m_pBoxes.size(); ++i) {
        if (m_pBoxes[i])
            DDX_Check(bSaveAndValidate, m_pBoxes[i], m_nStates[i]);
    }
    return true;
}

bool CRestrictionPage::OnInitDialog()
{
    CZoCoolPage::OnInitDialog();
    for (int i = 0; i < m_boxes.size(); ++i)
        m_nStates[i] = ComputeBoxState(m_restrictions, m_boxes[i].nBit);
    UpdateData(false);
    return true;
}

bool CRestrictionPage::OnApply()
{
    // The sheet has moved the boxes into m_nStates already.
    for (quint32 &word : m_restrictions) {
        for (int i = 0; i < m_boxes.size(); ++i)
            word = FoldBoxState(word, m_boxes[i].nBit, m_nStates[i]);
    }
    return CZoCoolPage::OnApply();
}
