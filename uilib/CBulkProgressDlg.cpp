#include "uilib/CBulkProgressDlg.h"

#include "store/CBulkWriter.h"
#include "uilib/CRegistryAccess.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kSettingsKey = QStringLiteral("Software\\Corvane\\Admin");
const QString kFilesInFlight = QStringLiteral("FilesInFlight");

QString Users(qsizetype n)
{
    return n == 1 ? QStringLiteral("1 user") : QStringLiteral("%1 users").arg(QLocale().toString(n));
}

} // namespace

CBulkProgressDlg::CBulkProgressDlg(const QString &title, const QString &action, qsizetype total,
                                   QWidget *parent)
    : QDialog(parent),
      m_nTotal(total),
      m_pAction(new QLabel(action, this)),
      m_pCount(new QLabel(this)),
      m_pBar(new QProgressBar(this)),
      m_pCancel(new QPushButton(tr("Cancel"), this))
{
    setObjectName(QStringLiteral("BulkProgressDlg"));
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_pCount->setObjectName(QStringLiteral("count"));
    m_pBar->setObjectName(QStringLiteral("progress"));
    m_pCancel->setObjectName(QStringLiteral("cancel"));
    m_pBar->setRange(0, int(qMin<qsizetype>(total, INT_MAX)));
    m_pBar->setMinimumWidth(320);
    m_pBar->setTextVisible(false); // the count below says it in users
    m_pBar->setAccessibleName(tr("Users written"));

    auto *pButtons = new QDialogButtonBox(this);
    pButtons->addButton(m_pCancel, QDialogButtonBox::RejectRole);
    connect(m_pCancel, &QPushButton::clicked, this, &CBulkProgressDlg::reject);

    auto *pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pAction);
    pLayout->addWidget(m_pBar);
    pLayout->addWidget(m_pCount);
    pLayout->addWidget(pButtons);
    pLayout->setSizeConstraint(QLayout::SetFixedSize);
    SetDone(0);
}

void CBulkProgressDlg::SetDone(qsizetype done)
{
    m_pBar->setValue(int(qMin<qsizetype>(done, INT_MAX)));
    const QLocale locale;
    QString text = tr("%1 of %2 users").arg(locale.toString(done), locale.toString(m_nTotal));
    if (m_bCancelling)
        text += tr(" (stopping after the files being written)");
    m_pCount->setText(text);
}

void CBulkProgressDlg::reject()
{
    if (m_bCancelling)
        return;
    m_bCancelling = true;
    m_pCancel->setEnabled(false);
    SetDone(m_pBar->value());
    Q_EMIT CancelRequested();
}

void CBulkProgressDlg::Run(QWidget *parent, const QString &title, const QString &action,
                           CBulkWriter &writer)
{
    CBulkProgressDlg dlg(title, action, writer.GetCount(), parent);
    dlg.setWindowModality(Qt::WindowModal);
    QEventLoop wait;
    bool bFinished = false;
    connect(&writer, &CBulkWriter::Progress, &dlg,
            [&dlg](qsizetype done, qsizetype) { dlg.SetDone(done); });
    connect(&writer, &CBulkWriter::Finished, &dlg, [&] {
        bFinished = true;
        wait.quit();
        dlg.done(QDialog::Accepted);
    });
    connect(&dlg, &CBulkProgressDlg::CancelRequested, &dlg, [&writer] { writer.Cancel(); });

    writer.Start();
    QTimer::singleShot(kShowDelayMs, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (!bFinished)
        dlg.exec();
    writer.Wait();
}

int CBulkProgressDlg::FilesInFlight()
{
    CRegistryAccess registry(HKEY_CURRENT_USER, kSettingsKey);
    QString value;
    if (!registry.OpenKey(false) || !registry.GetValueData(kFilesInFlight, value))
        return CBulkWriter::kDefaultInFlight;
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    if (!ok || n < 1)
        return CBulkWriter::kDefaultInFlight;
    return qMin(n, CBulkWriter::kMaxInFlight);
}

QString CBulkProgressDlg::Summary(const QString &done, qsizetype written, qsizetype failed,
                                  qsizetype notStarted)
{
    QString text = QStringLiteral("%1 %2").arg(done, Users(written));
    if (failed > 0)
        text += QStringLiteral("; %1 could not be written").arg(QLocale().toString(failed));
    if (notStarted > 0)
        text += QStringLiteral("; cancelled, %1 left unchanged").arg(QLocale().toString(notStarted));
    return text;
}

QString CBulkProgressDlg::CancelMessage(const QString &what, const QStringList &written,
                                        qsizetype notStarted)
{
    QString text = QStringLiteral("Cancelled. The files of %1 were not touched.").arg(Users(notStarted));
    if (written.isEmpty())
        return text + QStringLiteral(" Nothing had been written yet.");
    text += QStringLiteral("\n\n%1 had already been written for %2, and stays:\n")
                .arg(what, Users(written.size()));
    const qsizetype listed = qMin<qsizetype>(written.size(), kMaxListedUsers);
    for (qsizetype i = 0; i < listed; ++i)
        text += QLatin1Char('\n') + written[i];
    if (written.size() > listed)
        text += QStringLiteral("\n... and %1 more.").arg(QLocale().toString(written.size() - listed));
    return text;
}

void CBulkProgressDlg::ShowStatusLine(QWidget *parent, const QString &text, int nMilliseconds)
{
    // A message, not the text at rest: the window keeps that current
    // meanwhile, and it is what the bar says again once the line has been read.
    auto *pMain = qobject_cast<QMainWindow *>(parent ? parent->window() : nullptr);
    if (pMain && pMain->statusBar())
        pMain->statusBar()->showMessage(text, nMilliseconds);
}
