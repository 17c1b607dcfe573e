#pragma once

#include "framework/CPropertyPage.h"

#include <QByteArray>
#include <memory>

class CConfigureTarget;
namespace Ui {
class CConfigureUser;
}

// "Users": the user's code for confidential notes and whether notes arrive
// in confidential mode. Login and real name are shown for reference only:
// they belong to the roster, which the client owns, so what is typed into
// them is never written.
class CConfigureUser : public CPropertyPage
{
    Q_OBJECT

public:
    enum { IDD = 23217 };

    explicit CConfigureUser(CConfigureTarget *pTarget, QWidget *pParent = nullptr);
    ~CConfigureUser() override;

    QString m_csCode;
    QString m_csName;
    QString m_csFullName;
    int m_nConfidential = 0;

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;
    bool OnInitDialog() override;
    bool OnApply() override;

private:
    CConfigureTarget *m_pTarget;
    bool m_bRead = true; // the values shown are the client's
    std::unique_ptr<Ui::CConfigureUser> m_pUi;
    // The code as the file holds it, written back while the text is unchanged.
    QByteArray m_code;
};
