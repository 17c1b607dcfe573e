#pragma once

#include "framework/CPropertyPage.h"

#include <QList>
#include <memory>

namespace Ui {
class CAdvancedWnd;
}

// "Advanced": whether the user's file is in the shared directory and whether
// what waits for the user there is really there, so that a user who
// receives nothing can be diagnosed. It reads only.
class CAdvancedWnd : public CPropertyPage
{
    Q_OBJECT

public:
    enum { IDD = 139 };

    explicit CAdvancedWnd(QWidget *pParent = nullptr);
    ~CAdvancedWnd() override;

    // Reads the sheet's user's file and fills the page. Without a page
    // window or a user the texts keep what they show.
    void UpdateFromUser();

    // "All is right." for no missing note, else the heading and one line
    // per missing note, in the order given.
    static QString Report(const QList<quint16> &missing);

    QString m_csUserFile;
    QString m_csNotes;
    QString m_csNotesExist;
    QString m_csNotifications;
    QString m_csMoreInfo;

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;
    bool OnSetActive() override;

private:
    std::unique_ptr<Ui::CAdvancedWnd> m_pUi;
};
