#pragma once

#include "sheets/configure/CConfigureTarget.h"

#include <QDialog>
#include <memory>

class CCheckListBox;
namespace Ui {
class CEditModelsDlg;
}

// The models dialog: asks one client to take note models. It lists the
// models the client reports having and the model files of the shared
// directory. A model the client has starts in the mixed state, which asks
// for nothing; a checked model is requested on "Upload".
class CEditModelsDlg : public QDialog
{
    Q_OBJECT

public:
    enum { IDD = 153 };
    static constexpr int IDOK = 1;
    static constexpr int IDCANCEL = 2;

    CEditModelsDlg(CConfigureTarget *pTarget, QWidget *pParent = nullptr);
    ~CEditModelsDlg() override;

    // Fills the list; false when there is no user or no document to list
    // models from.
    bool OnInitDialog();
    int DoModal();

    CCheckListBox *m_pModelList = nullptr;

    // Edit › Edit models... (32808) on the first selected row's object.
    // Failed requests are told once, after the dialog has closed. Answers
    // IDOK (after Upload) or IDCANCEL.
    static int Run(QWidget *pParent, CAdminDoc *pDoc, CConfigureTarget::Object object,
                   CConfigureTarget::StatusSink status = {});

private:
    void OnUpload();
    // The entry of a model, matched as the client matches names; -1 if none.
    int FindModel(const QByteArray &name) const;
    int AddModel(const QByteArray &name);

    CConfigureTarget *m_pTarget;
    std::unique_ptr<Ui::CEditModelsDlg> m_pUi;
};
