// view-snapshot: writes pictures of the user list on a shared directory, to
// look at the drawing (images, shortened texts, alignment, highlight, sort).
//
//     view-snapshot <shared directory> <output directory>
//
// Settings go to a private directory inside the output directory.

#include "store/CAdminDoc.h"
#include "store/CUser.h"
#include "uilib/CRegistryAccess.h"
#include "view/CAdminView.h"
#include "view/CColumnArray.h"
#include "view/CUserListModel.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QMainWindow>
#include <QPainter>
#include <QSettings>
#include <QTest>

#include <cstdio>

namespace {

bool Save(QWidget *pWindow, const QString &path)
{
    QCoreApplication::processEvents();
    const bool bOk = pWindow->grab().save(path);
    std::printf("%s %s\n", bOk ? "wrote" : "could not write", qPrintable(path));
    return bOk;
}

// Every image of both lists, as drawn and four times larger.
bool SaveImages(const CAdminView &view, const QString &path)
{
    QPixmap sheet(8 * 140, 2 * 140);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    const auto draw = [&](const CImageList &images, int nRow, int nSize) {
        for (int i = 0; i < images.GetImageCount(); ++i) {
            const QIcon icon = images.GetIcon(i);
            painter.drawPixmap(i * 140 + 4, nRow * 140 + 4, icon.pixmap(nSize, nSize));
            painter.drawPixmap(QRect(i * 140 + 4, nRow * 140 + 8 + nSize, 4 * nSize, 4 * nSize),
                               icon.pixmap(nSize, nSize));
        }
    };
    draw(view.GetSmallImages(), 0, 16);
    draw(view.GetNormalImages(), 1, 32);
    painter.end();
    return sheet.save(path);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: view-snapshot <shared directory> <output directory>\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(out);
    CRegistryAccess::SetFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, out + "/settings");
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, out + "/settings/system");

    CAdminDoc doc;
    if (!doc.OnNewDocument(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "no shared directory\n");
        return 1;
    }
    doc.WaitForStatusReaders();
    QCoreApplication::processEvents();

    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Corvane Administration Tool"));
    auto *pView = new CAdminView(&doc, &window);
    window.setCentralWidget(pView);
    window.resize(1280, 560);
    {
        // Narrow and right-aligned or centred columns, to show the alignment
        // and the shortening rules.
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Corvane", "Admin");
        settings.beginGroup("Columns");
        for (int nField = 0; nField < CColumnArray::kFieldCount; ++nField)
            settings.setValue(CColumnArray::GetTitle(nField),
                              CColumnArray::GetDefaultStoredText(nField));
        settings.setValue(CColumnArray::GetTitle(CUser::ColFullName), "1/90/0");
        settings.setValue(CColumnArray::GetTitle(CUser::ColVersion), "5/130/1");
        settings.setValue(CColumnArray::GetTitle(CUser::ColOldVersion), "6/70/1");
        settings.setValue(CColumnArray::GetTitle(CUser::ColConnected), "4/80/2");
        settings.setValue(CColumnArray::GetTitle(CUser::ColOS), "8/90/0");
        settings.setValue(CColumnArray::GetTitle(CUser::ColLogon), "2/150/0");
        settings.setValue(CColumnArray::GetTitle(CUser::ColLogoff), "3/150/0");
    }
    CColumnArray::Shared().LoadFromRegistry(&window);
    pView->InsertColumns();
    pView->FillList(false);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not shown\n");
    pView->setFocus();

    // One user with an upgrade pending, to show its image.
    if (CUser *pUser = pView->GetRowObject(pView->GetRowCount() - 1).GetUser()) {
        pUser->MarkUpgradeRequested();
        pView->UpdateUserRow(pUser, false);
    }
    bool bOk = Save(&window, out + "/list.png");
    bOk &= SaveImages(*pView, out + "/images.png");

    // Rows 1 to 3 selected (a group among them), the focus on row 2.
    pView->selectionModel()->setCurrentIndex(pView->GetModel()->index(2, 0),
                                             QItemSelectionModel::ClearAndSelect
                                                 | QItemSelectionModel::Rows);
    pView->selectionModel()->select(pView->GetModel()->index(1, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    pView->selectionModel()->select(pView->GetModel()->index(3, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    bOk &= Save(&window, out + "/selected.png");
    pView->SetClientWidthSel(false);
    bOk &= Save(&window, out + "/selected-client-width-off.png");
    pView->SetClientWidthSel(true);
    window.setFocus();
    pView->clearFocus();
    bOk &= Save(&window, out + "/selected-no-focus.png");

    pView->SortByColumn(CUser::ColLogon);
    pView->scrollToTop();
    bOk &= Save(&window, out + "/sorted-logon.png");
    pView->SortByColumn(CUser::ColLogin);
    bOk &= Save(&window, out + "/sorted-login.png");

    pView->SetShowDeleted(true);
    pView->scrollToBottom();
    bOk &= Save(&window, out + "/deleted-shown.png");
    return bOk ? 0 : 1;
}
