#include "CCheckListBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr int DataPtrRole = Qt::UserRole;
// Set while the program, not a click, put the entry into the mixed state.
constexpr int MixedAllowedRole = Qt::UserRole + 1;

Qt::CheckState ToQt(int nCheck)
{
    switch (nCheck) {
    case 1: return Qt::Checked;
    case 2: return Qt::PartiallyChecked;
    default: return Qt::Unchecked;
    }
}

int FromQt(Qt::CheckState eState)
{
    switch (eState) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

} // namespace

// Qt's delegate would cycle a tristate item through its own order; this one only
// decides whether an event hits the box and leaves the next state to the list.
class CCheckListBoxDelegate : public QStyledItemDelegate
{
public:
    explicit CCheckListBoxDelegate(CCheckListBox* pList)
        : QStyledItemDelegate(pList)
        , m_pList(pList)
    {
    }

protected:
    bool editorEvent(QEvent* pEvent, QAbstractItemModel* pModel, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        const Qt::ItemFlags flags = pModel->flags(index);
        if (!(flags & Qt::ItemIsUserCheckable) || !(flags & Qt::ItemIsEnabled)
            || !(option.state & QStyle::State_Enabled))
            return false;
        switch (pEvent->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease: {
            QStyleOptionViewItem viewOption(option);
            initStyleOption(&viewOption, index);
            const QWidget* pWidget = option.widget;
            const QStyle* pStyle = pWidget ? pWidget->style() : QApplication::style();
            const QRect checkRect =
                pStyle->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &viewOption, pWidget);
            const auto* pMouse = static_cast<QMouseEvent*>(pEvent);
            if (pMouse->button() != Qt::LeftButton || !checkRect.contains(pMouse->position().toPoint()))
                return false;
            // The press is swallowed so that only the release toggles, once.
            if (pEvent->type() != QEvent::MouseButtonRelease)
                return true;
            break;
        }
        case QEvent::KeyPress: {
            const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
            if (nKey != Qt::Key_Space && nKey != Qt::Key_Select)
                return false;
            break;
        }
        default:
            return false;
        }
        m_pList->ToggleCheck(index.row());
        return true;
    }

private:
    CCheckListBox* m_pList;
};

CCheckListBox::CCheckListBox(QWidget* pParent)
    : QListWidget(pParent)
{
    setItemDelegate(new CCheckListBoxDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

int CCheckListBox::AddString(const QString& strText)
{
    return InsertString(m_bSorted ? SortedPosition(strText) : count(), strText);
}

int CCheckListBox::InsertString(int nIndex, const QString& strText)
{
    if (nIndex < -1 || nIndex > count())
        return -1;
    if (nIndex == -1)
        nIndex = count();
    auto* pItem = new QListWidgetItem(strText);
    pItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    pItem->setCheckState(Qt::Unchecked);
    insertItem(nIndex, pItem);
    return nIndex;
}

bool CCheckListBox::DeleteString(int nIndex)
{
    QListWidgetItem* pItem = takeItem(nIndex);
    delete pItem;
    return pItem != nullptr;
}

QString CCheckListBox::GetText(int nIndex) const
{
    const QListWidgetItem* pItem = item(nIndex);
    return pItem ? pItem->text() : QString();
}

int CCheckListBox::FindStringExact(const QString& strText) const
{
    for (int nIndex = 0; nIndex < count(); ++nIndex) {
        if (item(nIndex)->text().compare(strText, Qt::CaseInsensitive) == 0)
            return nIndex;
    }
    return -1;
}

bool CCheckListBox::SetItemDataPtr(int nIndex, void* pData)
{
    QListWidgetItem* pItem = item(nIndex);
    if (!pItem)
        return false;
    pItem->setData(DataPtrRole, QVariant::fromValue(reinterpret_cast<quintptr>(pData)));
    return true;
}

void* CCheckListBox::GetItemDataPtr(int nIndex) const
{
    const QListWidgetItem* pItem = item(nIndex);
    return pItem ? reinterpret_cast<void*>(pItem->data(DataPtrRole).value<quintptr>()) : nullptr;
}

int CCheckListBox::FindItemDataPtr(const void* pData) const
{
    for (int nIndex = 0; nIndex < count(); ++nIndex) {
        if (GetItemDataPtr(nIndex) == pData)
            return nIndex;
    }
    return -1;
}

bool CCheckListBox::SetCheck(int nIndex, int nCheck)
{
    QListWidgetItem* pItem = item(nIndex);
    if (!pItem || nCheck < 0 || nCheck > 2 || (nCheck == 2 && m_eCheckStyle == TwoState))
        return false;
    pItem->setData(MixedAllowedRole, nCheck == 2);
    pItem->setCheckState(ToQt(nCheck));
    return true;
}

int CCheckListBox::GetCheck(int nIndex) const
{
    const QListWidgetItem* pItem = item(nIndex);
    return pItem ? FromQt(pItem->checkState()) : -1;
}

void CCheckListBox::Enable(int nIndex, bool bEnabled)
{
    if (QListWidgetItem* pItem = item(nIndex))
        pItem->setFlags(bEnabled ? pItem->flags() | Qt::ItemIsEnabled : pItem->flags() & ~Qt::ItemIsEnabled);
}

bool CCheckListBox::IsEnabled(int nIndex) const
{
    const QListWidgetItem* pItem = item(nIndex);
    return pItem && (pItem->flags() & Qt::ItemIsEnabled);
}

void CCheckListBox::ToggleCheck(int nIndex)
{
    QListWidgetItem* pItem = item(nIndex);
    if (!pItem)
        return;
    pItem->setCheckState(ToQt(NextCheck(nIndex)));
    Q_EMIT CheckChanged(nIndex);
}

int CCheckListBox::NextCheck(int nIndex) const
{
    switch (GetCheck(nIndex)) {
    case 1:
        return 0;
    case 2:
        return 1;
    default:
        return m_eCheckStyle == ThreeState && item(nIndex)->data(MixedAllowedRole).toBool() ? 2 : 1;
    }
}

int CCheckListBox::SortedPosition(const QString& strText) const
{
    // After entries that compare equal, so that equal names keep the order they came in.
    int nLow = 0;
    int nHigh = count();
    while (nLow < nHigh) {
        const int nMid = (nLow + nHigh) / 2;
        if (item(nMid)->text().compare(strText, Qt::CaseInsensitive) <= 0)
            nLow = nMid + 1;
        else
            nHigh = nMid;
    }
    return nLow;
}
