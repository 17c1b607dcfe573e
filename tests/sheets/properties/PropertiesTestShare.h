#pragma once

#include "framework/CCmdRoute.h"
#include "framework/CCmdUI.h"
#include "platform/PlatformTestHooks.h"
#include "platform/Profile.h"
#include "sheets/properties/CPropertyCommands.h"
#include "store/CAdminDoc.h"
#include "store/CUser.h"
#include "uilib/CRegistryAccess.h"
#include "view/CAdminView.h"
#include "view/CColumnArray.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QItemSelectionModel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

// A shared directory, private settings, the document and the user list with
// this folder's commands on a command route, as the main window has them.
class PropertiesTestShare
{
public:
    PropertiesTestShare()
    {
        CRegistryAccess::SetFormat(QSettings::IniFormat);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope,
                           m_settings.filePath(QStringLiteral("system")));
        Profile::ClearCache();
        PlatformTestHooks::Reset();
    }
    ~PropertiesTestShare()
    {
        m_pView.reset();
        m_pDoc.reset();
        PlatformTestHooks::Reset();
        Profile::ClearCache();
    }

    QString Path() const { return m_share.path(); }
    QString FilePath(const QString &name) const { return m_share.filePath(name); }

    void Write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(FilePath(name));
        QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(name));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    QByteArray Read(const QString &name) const
    {
        QFile file(FilePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Opens the document on Users.ini (written first) and builds the list
    // with its columns and rows, without its timers.
    void Open(const QByteArray &usersIni)
    {
        Write(QStringLiteral("Users.ini"), usersIni);
        m_pDoc = std::make_unique<CAdminDoc>();
        QVERIFY(m_pDoc->OnNewDocument(Path()));
        m_pDoc->WaitForStatusReaders();
        QCoreApplication::processEvents();
        m_pView = std::make_unique<CAdminView>(m_pDoc.get());
        CColumnArray::Shared().RemoveAll();
        CColumnArray::Shared().LoadFromRegistry(nullptr);
        m_pView->InsertColumns();
        m_pView->FillList(false);
        m_pView->resize(800, 400);
        m_route.SetIdleUpdates(false);
        m_route.SetTarget(CCmdRoute::View, m_pView.get());
        CPropertyCommands::Install(m_pView.get());
    }

    CAdminDoc *Doc() const { return m_pDoc.get(); }
    CAdminView *View() const { return m_pView.get(); }
    CUser *User(const char *login) const { return m_pDoc->FindUser(login); }

    bool Execute(int nID) { return m_route.Execute(nID); }
    int CheckOf(int nID) const
    {
        CCmdUI ui(nID);
        m_route.QueryState(nID, &ui);
        return ui.GetCheck();
    }

    // Selects the rows of these users, the first of them current, as a
    // click and control-clicks would.
    void Select(const QList<CUser *> &users, QItemSelectionModel::SelectionFlags first =
                                                 QItemSelectionModel::ClearAndSelect)
    {
        QItemSelectionModel *pSelection = m_pView->selectionModel();
        for (CUser *pUser : users) {
            const int nRow = m_pView->FindRow(CRowObject::User(pUser));
            QVERIFY(nRow >= 0);
            pSelection->setCurrentIndex(m_pView->model()->index(nRow, 0),
                                        first | QItemSelectionModel::Rows);
            first = QItemSelectionModel::Select;
        }
    }
    void SelectRow(int nRow, QItemSelectionModel::SelectionFlags flags =
                                 QItemSelectionModel::ClearAndSelect)
    {
        m_pView->selectionModel()->setCurrentIndex(m_pView->model()->index(nRow, 0),
                                                   flags | QItemSelectionModel::Rows);
    }

private:
    QTemporaryDir m_settings;
    QTemporaryDir m_share;
    std::unique_ptr<CAdminDoc> m_pDoc;
    std::unique_ptr<CAdminView> m_pView;
    CCmdRoute m_route;
};

// Runs pAct on the modal window that opens next; a window that pAct left
// open (it failed half-way, say) is cancelled, so the test goes on.
inline void WhenModal(std::function<void(QWidget *)> pAct)
{
    QTimer::singleShot(0, [pAct] {
        QWidget *pModal = QApplication::activeModalWidget();
        QVERIFY2(pModal, "no modal window opened");
        pAct(pModal);
        if (auto *pDialog = qobject_cast<QDialog *>(pModal); pDialog && pDialog->isVisible())
            pDialog->reject();
    });
}
