#pragma once

#include "framework/CPropertySheet.h"
#include "sheets/configure/CConfigureTarget.h"

class CConfigureCommunication;
class CConfigureLogs;
class CConfigureNoteCreation;
class CConfigureUser;

// "Options": the four pages that set one user's client parameters. The pages
// show what the client last reported; OK writes the shown pages' values as
// requests, which the client takes up on its own schedule.
class CConfigureSheet : public CPropertySheet
{
    Q_OBJECT

public:
    CConfigureSheet(CConfigureTarget *pTarget, QWidget *pParent = nullptr);
    ~CConfigureSheet() override;

    CConfigureUser *GetUserPage() const { return m_pUserPage; }
    CConfigureNoteCreation *GetNoteCreationPage() const { return m_pNoteCreationPage; }
    CConfigureCommunication *GetCommunicationPage() const { return m_pCommunicationPage; }
    CConfigureLogs *GetLogsPage() const { return m_pLogsPage; }

    // Actions › Configure... (32806) on the first selected row's object. The
    // status sink is told why nothing can be set when that is not a user.
    // Writes that failed are told once, after the sheet has closed. Answers
    // IDOK or IDCANCEL.
    static int Run(QWidget *pParent, CAdminDoc *pDoc, CConfigureTarget::Object object,
                   CConfigureTarget::StatusSink status = {});

private:
    // A template size in dialog units, in pixels of the sheet's font.
    QSize TemplateSize(int nWidthDlu, int nHeightDlu) const;

    CConfigureUser *m_pUserPage;
    CConfigureNoteCreation *m_pNoteCreationPage;
    CConfigureCommunication *m_pCommunicationPage;
    CConfigureLogs *m_pLogsPage;
};
