#pragma once

#include "sheets/restrictions/CRestrictionPage.h"

// Restriction page "Models": the management of note models.
class CSettingModels : public CRestrictionPage
{
    Q_OBJECT

public:
    static constexpr int IDD = 147;
    static constexpr int Group = 4;

    Q_INVOKABLE explicit CSettingModels(const QList<quint32> &restrictions = {},
                                        QWidget *parent = nullptr);
};
