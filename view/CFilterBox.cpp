#include "view/CFilterBox.h"

#include "view/CAdminView.h"
#include "view/CViewFilter.h"

#include <QKeyEvent>
#include <QVBoxLayout>

CFilterBox::CFilterBox(CAdminView *pView, QWidget *parent) : QLineEdit(parent), m_pView(pView)
{
    setObjectName(QStringLiteral("FilterBox"));
    setPlaceholderText(tr("Filter by login, name or any column (Ctrl+F)"));
    setAccessibleName(tr("Filter users"));
    setAccessibleDescription(
        tr("Shows only the users whose login, name or any shown column contains this text"));
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_pView->GetFilter()->SetText(text); });
}

QWidget *CFilterBox::WrapWithView(CAdminView *pView, CFilterBox **ppBox)
{
    auto *pPane = new QWidget;
    pPane->setObjectName(QStringLiteral("ListPane"));
    auto *pLayout = new QVBoxLayout(pPane);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setSpacing(2);
    auto *pBox = new CFilterBox(pView, pPane);
    pLayout->addWidget(pBox);
    pLayout->addWidget(pView, 1);
    if (ppBox)
        *ppBox = pBox;
    return pPane;
}

void CFilterBox::Focus()
{
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void CFilterBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (text().isEmpty())
            m_pView->setFocus(Qt::OtherFocusReason);
        else
            clear();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier) {
        m_pView->setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
