#pragma once

#include "framework/CPropertyPage.h"

#include <memory>

class CConfigureTarget;
namespace Ui {
class CConfigureCommunication;
}

// "Communications": how the client receives notes, from which directory,
// and how often it looks for them. The "..." beside the directory stays
// disabled: a picker here would offer this machine's paths, where the client
// needs the directory as it names it itself.
class CConfigureCommunication : public CPropertyPage
{
    Q_OBJECT

public:
    enum { IDD = 1007 };
    // Positions in the radio groups, as the client numbers them.
    enum ECommMode { NoCommunications = 0, SharedDirectory = 1 };
    enum ERefreshRate { RateLow = 0, RateMedium = 1, RateHigh = 2 };

    explicit CConfigureCommunication(CConfigureTarget *pTarget, QWidget *pParent = nullptr);
    ~CConfigureCommunication() override;

    int m_nRefreshRate = -1;
    QString m_csDirectory;
    int m_nCommMode = -1;

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;
    bool OnInitDialog() override;
    bool OnApply() override;

private:
    CConfigureTarget *m_pTarget;
    bool m_bRead = true; // the values shown are the client's
    std::unique_ptr<Ui::CConfigureCommunication> m_pUi;
};
