#pragma once

#include "framework/CImageList.h"

#include <QIcon>

// The pictures of the user list: the small images its rows show (16 x 16)
// and the normal images (32 x 32), which only ever appear as the main
// window's icon while a row is marked.
class CViewImages
{
public:
    // Normal images: networked computers with a yellow, a green and a red
    // screen, and a ticked box.
    enum Normal { NormalNeverLoggedOn = 0, NormalConnected, NormalNotConnected, NormalTicked };

    static CImageList LoadSmall();
    static CImageList LoadNormal();

    // The normal image that goes with small image nImage, or -1 for none.
    static int NormalImageFor(int nSmallImage);
    // The window icon for a row showing small image nImage: that image,
    // and its normal image for the large size where there is one. Null
    // when the small list has no such image.
    static QIcon MarkIcon(const CImageList &small, const CImageList &normal, int nImage);
};
