#pragma once

#include "uilib/CZoCoolPage.h"

#include <QList>
#include <QPointer>

class CThreeStateCheckBox;

// What the six restriction pages share: one three-state box per key of the
// page's restriction group, a picture of the client beside them, and the
// restriction words of the selected users.
//
// A page holds one word per selected user, in the order of the selection:
// the values in force in the high half, the requested values in the low
// half. A box shows checked when every user may use the feature, unchecked
// when none may, mixed when they differ. When the sheet is confirmed the
// boxes are folded into every word: checked asks to allow, unchecked to
// forbid, and mixed asks each user to keep what it has.
class CRestrictionPage : public CZoCoolPage
{
    Q_OBJECT

public:
    enum BoxState { Unchecked = 0, Checked = 1, Mixed = 2 };

    // One box: its control id, its label and the bit of the key it stands for.
    struct Box
    {
        int nControlId;
        const char *pszLabel;
        int nBit;
    };

    int GetGroup() const { return m_nGroup; }
    const QList<Box> &GetBoxes() const { return m_boxes; }
    const QList<quint32> &GetRestrictions() const { return m_restrictions; }
    int GetBoxState(int nBox) const;
    // The object name of the box with this control id (ids repeat across
    // pages, never within one).
    static QString BoxName(int nControlId);

    // Over the values in force of every word.
    static int ComputeBoxState(const QList<quint32> &restrictions, int nBit);
    // The word with the box folded into its requested half.
    static quint32 FoldBoxState(quint32 word, int nBit, int nState);

    bool OnInitDialog() override;
    bool OnApply() override;

protected:
    CRestrictionPage(int nTemplateId, int nGroup, const QString &csTitle, QList<Box> boxes,
                     const QList<quint32> &restrictions, QWidget *parent);

    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;

private:
    static QList<QPointer<CThreeStateCheckBox>> BuildControls(QWidget *pHost, QWidget *pHeading,
                                                              int nGroup,
                                                              const QList<Box> &boxes);

    const int m_nGroup;
    const QList<Box> m_boxes;
    QList<quint32> m_restrictions;
    int m_nStates[8] = {};
    QList<QPointer<CThreeStateCheckBox>> m_pBoxes;
};
