#include "uilib/CZoMessageBox.h"

#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <optional>

namespace {

QHash<int, QString> s_labels;
std::optional<int> s_nextAnswer;

const char *ButtonName(int nButtonId)
{
    static const char *const names[] = {"IDOK", "IDCANCEL", "IDABORT", "IDRETRY",
                                        "IDIGNORE", "IDYES", "IDNO"};
    return names[nButtonId - 1];
}

QStyle::StandardPixmap IconFor(int nKind)
{
    switch (nKind) {
    case CZoMessageBox::InternalError: return QStyle::SP_MessageBoxCritical;
    case CZoMessageBox::Authorization:
    case CZoMessageBox::Warning:
    case CZoMessageBox::Delete: return QStyle::SP_MessageBoxWarning;
    default: return QStyle::SP_MessageBoxInformation;
    }
}

} // namespace

CZoMessageBox::CZoMessageBox(QWidget *parent)
    : CZoCoolDlg(parent), m_pIcon(new QLabel(this)), m_pText(new QLabel(this)),
      m_pButtonRow(new QHBoxLayout)
{
    setObjectName(QStringLiteral("CZoMessageBox"));
    m_pText->setObjectName(QStringLiteral("MessageText"));
    m_pText->setWordWrap(true);
    m_pText->setMinimumWidth(260);
    m_pIcon->setAlignment(Qt::AlignTop);

    auto *pTop = new QHBoxLayout;
    pTop->addWidget(m_pIcon);
    pTop->addWidget(m_pText, 1);
    auto *pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pTop);
    pLayout->addLayout(m_pButtonRow);
    SetType(Information, ButtonBit(IDOK));
}

void CZoMessageBox::InitButtonIds()
{
    for (int nId = IDOK; nId <= IDNO; ++nId)
        s_labels.insert(nId, CStringTable::Load(IDS_BUTTON_FIRST - 1 + nId));
}

QString CZoMessageBox::GetButtonLabel(int nButtonId)
{
    if (s_labels.isEmpty())
        InitButtonIds();
    return s_labels.value(nButtonId);
}

void CZoMessageBox::SetType(int nKind, int nButtons)
{
    m_nKind = nKind >= Information && nKind <= Close ? nKind : Information;
    // A box needs a way out: an empty or unknown set becomes Ok.
    m_nButtons = nButtons & (ButtonBit(IDNO + 1) - 1);
    if (!m_nButtons)
        m_nButtons = ButtonBit(IDOK);
    setWindowTitle(CStringTable::Load(IDS_BOX_CAPTION_FIRST + m_nKind - 1));
    const int nIconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    m_pIcon->setPixmap(style()->standardIcon(IconFor(m_nKind), nullptr, this).pixmap(nIconSize));
    if (!m_bMessageSet)
        m_pText->setText(m_nKind == Close
                             ? tr("Please wait...\nThis message closes by itself.")
                             : QString());
    RebuildButtons();
}

void CZoMessageBox::SetMessage(const QString &csMessage)
{
    m_bMessageSet = true;
    m_pText->setText(csMessage);
}

QString CZoMessageBox::GetMessage() const
{
    return m_pText->text();
}

void CZoMessageBox::RebuildButtons()
{
    while (QLayoutItem *pItem = m_pButtonRow->takeAt(0)) {
        delete pItem->widget();
        delete pItem;
    }
    m_pButtonRow->addStretch();
    bool bFirst = true;
    for (int nId = IDOK; nId <= IDNO; ++nId) {
        if (!(m_nButtons & ButtonBit(nId)))
            continue;
        auto *pButton = new QPushButton(GetButtonLabel(nId), this);
        pButton->setObjectName(QString::fromLatin1(ButtonName(nId)));
        pButton->setDefault(bFirst);
        bFirst = false;
        connect(pButton, &QPushButton::clicked, this, [this, nId] { Choose(nId); });
        m_pButtonRow->addWidget(pButton);
    }
}

void CZoMessageBox::Choose(int nButtonId)
{
    m_nChoice = nButtonId;
    done(nButtonId);
}

void CZoMessageBox::reject()
{
    // Escape and the window's close button mean Cancel where there is one,
    // or the only button; a box with several other buttons needs a choice.
    if (m_nButtons & ButtonBit(IDCANCEL)) {
        Choose(IDCANCEL);
        return;
    }
    for (int nId = IDOK; nId <= IDNO; ++nId)
        if (m_nButtons == ButtonBit(nId))
            Choose(nId);
}

int CZoMessageBox::DoModal()
{
    if (s_nextAnswer) {
        const int nAnswer = *s_nextAnswer;
        s_nextAnswer.reset();
        m_nChoice = nAnswer;
        return nAnswer;
    }
    return CZoCoolDlg::DoModal();
}

void CZoMessageBox::SetNextAnswer(int nButtonId)
{
    s_nextAnswer = nButtonId;
}
