#include "uilib/CAboutDlg.h"

#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"
#include "uilib/GlobalVarsForDll.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDlg"));
    setWindowTitle(tr("About %1").arg(CStringTable::Load(AFX_IDS_APP_TITLE)));

    auto *pIcon = new QLabel(this);
    pIcon->setObjectName(QStringLiteral("AboutIcon"));
    const QIcon icon = parent ? parent->window()->windowIcon() : QApplication::windowIcon();
    pIcon->setPixmap(icon.pixmap(48, 48));
    pIcon->setAlignment(Qt::AlignTop);

    const QString name = GlobalVarsForDll::csSoftName.isEmpty()
                             ? QApplication::applicationName()
                             : GlobalVarsForDll::csSoftName;
    auto *pName = new QLabel(QStringLiteral("<b>%1</b>").arg(name.toHtmlEscaped()), this);
    pName->setObjectName(QStringLiteral("AboutName"));

    QString version = tr("Version %1").arg(QApplication::applicationVersion());
    if (QApplication::applicationVersion().isEmpty())
        version.clear();
    auto *pVersion = new QLabel(version, this);
    pVersion->setObjectName(QStringLiteral("AboutVersion"));

    auto *pRuntime = new QLabel(tr("Built with Qt %1, running on Qt %2.")
                                    .arg(QLatin1String(QT_VERSION_STR), QLatin1String(qVersion())),
                                this);

    auto *pText = new QVBoxLayout;
    pText->addWidget(pName);
    if (!GlobalVarsForDll::csPartOfAppTitle.isEmpty())
        pText->addWidget(new QLabel(GlobalVarsForDll::csPartOfAppTitle, this));
    pText->addWidget(pVersion);
    pText->addWidget(pRuntime);
    if (!GlobalVarsForDll::csWelcomeSentence.isEmpty()) {
        auto *pNotice = new QLabel(GlobalVarsForDll::csWelcomeSentence, this);
        pNotice->setObjectName(QStringLiteral("AboutNotice"));
        pNotice->setWordWrap(true);
        pText->addWidget(pNotice);
    }
    pText->addStretch();

    auto *pTop = new QHBoxLayout;
    pTop->addWidget(pIcon);
    pTop->addLayout(pText, 1);

    auto *pButtons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    pButtons->button(QDialogButtonBox::Ok)->setText(CStringTable::Load(IDS_BUTTON_FIRST));
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addWidget(pButtons);
    setMinimumWidth(360);
}
