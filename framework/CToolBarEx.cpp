#include "framework/CToolBarEx.h"

#include "framework/CCmdRoute.h"
#include "framework/ResourceIds.h"

#include <QAction>

CToolBarEx::CToolBarEx(CCmdRoute *pRoute, QWidget *parent) : QToolBar(parent), m_pRoute(pRoute)
{
}

bool CToolBarEx::LoadToolBar(const QList<int> &commandIds, const CImageList &images)
{
    m_images = images;
    int nImage = 0;
    for (int nID : commandIds) {
        if (nID == ID_SEPARATOR) {
            m_items.append({ID_SEPARATOR, -1, addSeparator()});
            continue;
        }
        QAction *pAction = m_pRoute->GetAction(nID);
        if (!pAction || nImage >= m_images.GetImageCount())
            return false;
        pAction->setIcon(m_images.GetIcon(nImage));
        addAction(pAction);
        m_items.append({nID, nImage, pAction});
        ++nImage;
    }
    return true;
}

void CToolBarEx::AddImages(const CImageList &images)
{
    m_images.Append(images);
}

int CToolBarEx::GetItemID(int nIndex) const
{
    return nIndex >= 0 && nIndex < m_items.size() ? m_items.at(nIndex).nID : -1;
}

int CToolBarEx::GetButtonImage(int nIndex) const
{
    return nIndex >= 0 && nIndex < m_items.size() ? m_items.at(nIndex).iImage : -1;
}

bool CToolBarEx::SetButtonInfo(int nIndex, int nID, unsigned nStyle, int iImage)
{
    if (nIndex < 0 || nIndex >= m_items.size())
        return false;
    Item &item = m_items[nIndex];
    QAction *pNew = nullptr;
    if (nStyle & TBBS_SEPARATOR) {
        if (item.nID == ID_SEPARATOR)
            return true;
        pNew = new QAction(this);
        pNew->setSeparator(true);
        nID = ID_SEPARATOR;
        iImage = -1;
    } else {
        pNew = m_pRoute->GetAction(nID);
        if (!pNew)
            return false;
    }
    if (pNew != item.pAction) {
        insertAction(item.pAction, pNew);
        removeAction(item.pAction);
        if (item.nID == ID_SEPARATOR)
            delete item.pAction;
        item.pAction = pNew;
    }
    item.nID = nID;
    item.iImage = iImage;
    if (nID != ID_SEPARATOR)
        pNew->setIcon(m_images.GetIcon(iImage));
    return true;
}
