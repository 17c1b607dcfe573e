#pragma once

#include "sheets/restrictions/CRestrictionPage.h"

// Restriction page "Alarm": the alarm a note can carry.
class CSettingAlarmWnd : public CRestrictionPage
{
    Q_OBJECT

public:
    static constexpr int IDD = 143;
    static constexpr int Group = 1;

    Q_INVOKABLE explicit CSettingAlarmWnd(const QList<quint32> &restrictions = {},
                                          QWidget *parent = nullptr);
};
