#pragma once

#include "framework/CPropertyPage.h"

#include <QByteArray>
#include <QString>
#include <memory>

class QAbstractButton;
namespace Ui {
class CUpgradeWnd;
}

// "Upgrade": when the clients of the selected users shall install a new
// version (at once, or at their next start) and, optionally, the directory
// on the server that holds it. The page only collects the choice; the
// Upgrade command writes it (see CUpgradeCommand).
class CUpgradeWnd : public CPropertyPage
{
    Q_OBJECT

public:
    enum { IDD = 137 };

    explicit CUpgradeWnd(QWidget *pParent = nullptr);
    ~CUpgradeWnd() override;

    int m_nNow = 0;
    int m_nRestart = 1;
    QString m_csDirectory;

    // "now", "at-restart", or empty when neither is chosen.
    QByteArray GetModeText() const;
    // The directory as the request carries it, in the clients' encoding.
    QByteArray GetDirectoryText() const;
    // The request the command writes for every user.
    QByteArray GetRequestValue() const;

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;

private:
    void SaveMode();
    void OnBrowse();

    std::unique_ptr<Ui::CUpgradeWnd> m_pUi;
};
