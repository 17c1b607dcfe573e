#pragma once

#include "framework/CImageList.h"

#include <QList>
#include <QToolBar>

class CCmdRoute;

// A toolbar whose buttons are commands of the route and whose pictures come
// from a numbered image list, so that a button's picture can be switched by
// number (the Refresh button's lamp) the way the view expects.
class CToolBarEx : public QToolBar
{
    Q_OBJECT

public:
    static constexpr unsigned TBBS_BUTTON = 0x00;
    static constexpr unsigned TBBS_SEPARATOR = 0x01;

    explicit CToolBarEx(CCmdRoute *pRoute, QWidget *parent = nullptr);

    // Builds the buttons from command ids (ID_SEPARATOR for a gap); button n,
    // counting buttons only, shows image n. False when a command has no
    // action on the route or the images do not cover the buttons.
    bool LoadToolBar(const QList<int> &commandIds, const CImageList &images);
    void AddImages(const CImageList &images);

    // Position nIndex counts separators. Sets the command, style and image
    // of that position; false for a position that does not exist.
    bool SetButtonInfo(int nIndex, int nID, unsigned nStyle, int iImage);

    int GetButtonCount() const { return int(m_items.size()); }
    int GetItemID(int nIndex) const;
    // The image number a position shows, -1 for a separator.
    int GetButtonImage(int nIndex) const;
    const CImageList &GetImageList() const { return m_images; }

private:
    struct Item
    {
        int nID;
        int iImage;
        QAction *pAction;
    };

    CCmdRoute *m_pRoute;
    CImageList m_images;
    QList<Item> m_items;
};
