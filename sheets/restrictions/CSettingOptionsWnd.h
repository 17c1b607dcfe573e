#pragma once

#include "sheets/restrictions/CRestrictionPage.h"

// Restriction page "Options": which tabs of the client's configuration window open.
class CSettingOptionsWnd : public CRestrictionPage
{
    Q_OBJECT

public:
    static constexpr int IDD = 148;
    static constexpr int Group = 5;

    Q_INVOKABLE explicit CSettingOptionsWnd(const QList<quint32> &restrictions = {},
                                            QWidget *parent = nullptr);
};
