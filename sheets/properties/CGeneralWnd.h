#pragma once

#include "framework/CPropertyPage.h"

#include <QSize>
#include <memory>

class QFont;
class QLabel;
class CUserPropertySheet;
namespace Ui {
class CGeneralWnd;
}

// "General": who the user is, when the client last logged on and off, which
// version it runs on which system, and one of four stacked icons for the
// connection state (connected, not connected, unknown, deleted user).
class CGeneralWnd : public CPropertyPage
{
    Q_OBJECT

public:
    enum { IDD = 138 };

    explicit CGeneralWnd(QWidget *pParent = nullptr);
    ~CGeneralWnd() override;

    // Fills the page from the sheet's user. Without a page window or a
    // user the fields keep what they show.
    void UpdateFromUser();

    // The page's size, the same for both pages of the sheet.
    static QSize TemplateSize(const QFont &font);

    // The icon shown now (CPropertyIcons::Connection), or -1 for none.
    int GetShownIcon() const;

    QString m_csLogin;
    QString m_csFullName;
    QString m_csLogonTime;
    QString m_csLogoffTime;
    QString m_csPreviousVersion;
    QString m_csCurrentVersion;
    QString m_csOS;
    QString m_csLanguage;
    QString m_csInstallTime;

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;
    bool OnInitDialog() override;
    bool OnSetActive() override;

private:
    QLabel *Icon(int nIcon) const;
    void HideIcons();

    std::unique_ptr<Ui::CGeneralWnd> m_pUi;
};
