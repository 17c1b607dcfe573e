#pragma once

#include "sheets/restrictions/CRestrictionPage.h"

// Restriction page "Send Recipients": the recipients window: groups, users, e-mail.
class CSendRecipientsWnd : public CRestrictionPage
{
    Q_OBJECT

public:
    static constexpr int IDD = 144;
    static constexpr int Group = 2;

    Q_INVOKABLE explicit CSendRecipientsWnd(const QList<quint32> &restrictions = {},
                                            QWidget *parent = nullptr);
};
