#pragma once

#include "sheets/restrictions/CRestrictionPage.h"

// Restriction page "Send Options": the options a note is sent with.
class CSettingSendOptionsWnd : public CRestrictionPage
{
    Q_OBJECT

public:
    static constexpr int IDD = 145;
    static constexpr int Group = 3;

    Q_INVOKABLE explicit CSettingSendOptionsWnd(const QList<quint32> &restrictions = {},
                                                QWidget *parent = nullptr);
};
