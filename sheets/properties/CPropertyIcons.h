#pragma once

#include "framework/CImageList.h"

#include <QPixmap>

// The pictures of the property sheet and the Display page, compiled into
// the program from icons/properties.qrc.
class CPropertyIcons
{
public:
    // The General page's connection icons, in the order of their controls.
    enum Connection { IconConnected = 0, IconDisconnected, IconUnknown, IconDeleted,
                      ConnectionIconCount };
    static constexpr int kConnectionSize = 32;

    static QPixmap ConnectionPixmap(int nIcon);
    // Image 0 blank (a hidden column), image 1 a screen (a shown column).
    static CImageList LoadColumnImages();
};
