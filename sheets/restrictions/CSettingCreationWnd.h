#pragma once

#include "sheets/restrictions/CRestrictionPage.h"

// Restriction page "Note Creation": the tools of a new note.
class CSettingCreationWnd : public CRestrictionPage
{
    Q_OBJECT

public:
    static constexpr int IDD = 142;
    static constexpr int Group = 0;

    Q_INVOKABLE explicit CSettingCreationWnd(const QList<quint32> &restrictions = {},
                                             QWidget *parent = nullptr);
};
