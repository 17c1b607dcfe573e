#pragma once

#include "framework/CCmdTarget.h"

#include <QString>

class CAdminDoc;
class QWidget;

// The document's place on the command route. The document itself knows no
// screen and no registry; its commands' dialogs and settings live here.
class CAdminDocTarget : public CCmdTarget
{
public:
    CAdminDocTarget(CAdminDoc *pDoc, const QString &csRegistryPath);

    // File > Define Share Directory: asks for the directory and makes it the
    // document's and the stored one. A cancel changes nothing.
    void OnDefineShareDirectory();

    // Stores the directory as ShareDirectory of the machine-wide key; when
    // it cannot be stored the administrator is told that it lasts only
    // until the program ends. False in that case.
    static bool StoreShareDirectory(const QString &csRegistryPath, const QString &path,
                                    QWidget *pParent);

private:
    CAdminDoc *m_pDoc;
    QString m_csRegistryPath;
};
