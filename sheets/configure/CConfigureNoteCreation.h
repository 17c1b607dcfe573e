#pragma once

#include "framework/CPropertyPage.h"

#include <memory>

class CConfigureTarget;
class QComboBox;
namespace Ui {
class CConfigureNoteCreation;
}

// "Note creation": the kind of note the client creates by default and the
// model it starts notes from. Only models the client reports having can be
// its default.
class CConfigureNoteCreation : public CPropertyPage
{
    Q_OBJECT

public:
    enum { IDD = 23212 };
    // Positions in the radio group, as the client numbers them.
    enum ENoteType { TextNote = 0, AudioNote = 1, ModelNote = 2 };

    explicit CConfigureNoteCreation(CConfigureTarget *pTarget, QWidget *pParent = nullptr);
    ~CConfigureNoteCreation() override;

    int m_nNoteType = -1;
    QComboBox *m_pModelList = nullptr;

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;
    bool OnInitDialog() override;
    bool OnApply() override;

private:
    // Adds a model in the list's order (letter case ignored), keeping its
    // name as the file has it.
    void AddModel(const QByteArray &name);
    int FindModel(const QByteArray &name) const;

    CConfigureTarget *m_pTarget;
    bool m_bRead = true; // the values shown are the client's
    std::unique_ptr<Ui::CConfigureNoteCreation> m_pUi;
};
