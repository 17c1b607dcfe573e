#pragma once

#include "framework/CPropertyPage.h"

#include <memory>

class CConfigureTarget;
namespace Ui {
class CConfigureLogs;
}

// "Log / Debug": what the client writes to its log, a debugging switch, and
// two buttons that fetch and show the log or empty it at once, whatever the
// sheet is closed with later.
class CConfigureLogs : public CPropertyPage
{
    Q_OBJECT

public:
    enum { IDD = 23215 };

    explicit CConfigureLogs(CConfigureTarget *pTarget, QWidget *pParent = nullptr);
    ~CConfigureLogs() override;

    int m_nLogParameters = 0;
    int m_nLogStartEnd = 0;
    int m_nLogSharedDirectory = 0;
    int m_nLogTooltips = 0;
    int m_nLogErrors = 0;
    int m_nForceForeignNotes = 0;

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;
    bool OnInitDialog() override;
    bool OnApply() override;

private:
    void OnShowLogFile();
    void OnClearLogFile();

    CConfigureTarget *m_pTarget;
    bool m_bRead = true; // the values shown are the client's
    std::unique_ptr<Ui::CConfigureLogs> m_pUi;
};
