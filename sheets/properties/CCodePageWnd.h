#pragma once

#include "framework/CPropertyPage.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace Ui {
class CCodePageWnd;
}

// "Clients", the page of the Options sheet that sets the code page in which
// the clients write their files. OK makes the chosen code page current and
// keeps it in the settings; the files themselves are not touched.
class CCodePageWnd : public CPropertyPage
{
    Q_OBJECT

public:
    explicit CCodePageWnd(QWidget *pParent = nullptr);
    ~CCodePageWnd() override;

    // The code page chosen on the page (a name such as "windows-1250").
    QString m_csCodePage;
    // Whether OK changed the current code page.
    bool IsChanged() const { return m_bChanged; }

    // What the list offers for a code page name ("windows-1250 - Central
    // European").
    static QString Describe(const QString &name);

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;
    bool OnApply() override;

private:
    std::unique_ptr<Ui::CCodePageWnd> m_pUi;
    QStringList m_names;
    bool m_bChanged = false;
};
