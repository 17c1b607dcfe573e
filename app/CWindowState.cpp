#include "app/CWindowState.h"

#include "uilib/CRegistryAccess.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

namespace {

const QString kGeometry = QStringLiteral("Window/Geometry");
const QString kState = QStringLiteral("Window/State");
const QString kStatusBar = QStringLiteral("Window/StatusBar");
const QString kSheetPos = QStringLiteral("Window/PropertySheetPos");
// Bumped when the bars change, so that an older state is not applied.
constexpr int kStateVersion = 1;

std::unique_ptr<QSettings> OpenSettings()
{
    return std::make_unique<QSettings>(CRegistryAccess::GetFormat(), QSettings::UserScope,
                                       QStringLiteral("Corvane"), QStringLiteral("Admin"));
}

} // namespace

bool CWindowState::Restore(QMainWindow *pFrame)
{
    const auto pSettings = OpenSettings();
    const QByteArray geometry = pSettings->value(kGeometry).toByteArray();
    if (geometry.isEmpty())
        return false;
    pFrame->restoreGeometry(geometry);
    pFrame->restoreState(pSettings->value(kState).toByteArray(), kStateVersion);
    auto *pStatusBar = pFrame->findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly);
    if (pStatusBar && pSettings->contains(kStatusBar))
        pStatusBar->setVisible(pSettings->value(kStatusBar).toBool());
    return true;
}

void CWindowState::Save(const QMainWindow *pFrame, const QWidget *pPropertySheet)
{
    const auto pSettings = OpenSettings();
    pSettings->setValue(kGeometry, pFrame->saveGeometry());
    pSettings->setValue(kState, pFrame->saveState(kStateVersion));
    // QMainWindow::statusBar() would make one; only look at the one there is.
    if (const auto *pStatusBar = pFrame->findChild<QStatusBar *>(QString(), Qt::FindDirectChildrenOnly))
        pSettings->setValue(kStatusBar, !pStatusBar->isHidden());
    if (pPropertySheet)
        pSettings->setValue(kSheetPos, pPropertySheet->pos());
    pSettings->sync();
}

bool CWindowState::RestoreSheetPosition(QWidget *pSheet)
{
    const auto pSettings = OpenSettings();
    if (!pSettings->contains(kSheetPos))
        return false;
    const QPoint pos = pSettings->value(kSheetPos).toPoint();
    // A screen may have gone since: a sheet out of sight would look lost.
    if (!QGuiApplication::screenAt(pos + QPoint(20, 20)))
        return false;
    pSheet->move(pos);
    return true;
}
