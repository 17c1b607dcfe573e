#include "sheets/properties/CDisplayWnd.h"

#include "framework/CPropertySheet.h"
#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"
#include "sheets/properties/CCodePageWnd.h"
#include "sheets/properties/CColumnOrder.h"
#include "sheets/properties/CDisplayList.h"
#include "sheets/properties/CPropertyIcons.h"
#include "ui_CDisplayWnd.h"
#include "view/CAdminView.h"
#include "view/CColumn.h"
#include "view/CColumnArray.h"
#include "view/CListPositionKeeper.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <optional>

namespace {

constexpr int kColumnWidth = 200;
enum Image { ImgHidden = 0, ImgShown = 1 };

std::function<void(int)> &BeepHook()
{
    static std::function<void(int)> hook;
    return hook;
}

CColumn *ColumnOf(const QTreeWidgetItem *pItem)
{
    return pItem ? reinterpret_cast<CColumn *>(pItem->data(0, Qt::UserRole).value<quintptr>())
                 : nullptr;
}

} // namespace

CDisplayWnd::CDisplayWnd(CAdminView *pView, CColumnArray *pColumns, QWidget *pParent)
    : CPropertyPage(QStringLiteral("Display"), pParent), m_pView(pView), m_pColumns(pColumns)
{
    setObjectName(QStringLiteral("CDisplayWnd"));
    if (m_pColumns) {
        for (int i = 0; i < m_pColumns->GetSize(); ++i)
            m_columns.push_back(std::make_unique<CColumn>(*m_pColumns->GetAt(i)));
        std::stable_sort(m_columns.begin(), m_columns.end(),
                         [](const auto &pA, const auto &pB) { return pA->IsBefore(*pB); });
    }
}

CDisplayWnd::~CDisplayWnd()
{
    EndDrag();
}

void CDisplayWnd::SetBeepHook(std::function<void(int)> hook)
{
    BeepHook() = std::move(hook);
}

void CDisplayWnd::Beep(int nType)
{
    if (BeepHook())
        BeepHook()(nType);
    else
        QApplication::beep();
}

void CDisplayWnd::CreateControls()
{
    m_pUi = std::make_unique<Ui::CDisplayWnd>();
    m_pUi->setupUi(this);
    CDisplayList *pList = m_pUi->columnList;
    connect(pList, &CDisplayList::DoubleClicked, this, &CDisplayWnd::OnToggle);
    connect(pList, &CDisplayList::BeginDrag, this, &CDisplayWnd::OnBeginDrag);
    connect(pList->header(), &QHeaderView::sectionClicked, this, &CDisplayWnd::OnSort);
}

bool CDisplayWnd::DoDataExchange(bool bSaveAndValidate)
{
    DDX_Check(bSaveAndValidate, m_pUi->showDeletedCheck, m_nShowDeleted);
    return true;
}

bool CDisplayWnd::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    m_images = CPropertyIcons::LoadColumnImages();
    CDisplayList *pList = m_pUi->columnList;
    pList->setIconSize(m_images.GetImageSize());
    pList->headerItem()->setText(0, CStringTable::Load(IDS_COLUMNS));
    pList->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    pList->header()->setStretchLastSection(false);
    pList->setColumnWidth(0, kColumnWidth);
    QList<CColumn *> rows;
    for (const auto &pColumn : m_columns) {
        pList->addTopLevelItem(new QTreeWidgetItem(pList));
        rows.append(pColumn.get());
    }
    ShowRows(rows);
    // Eleven columns at most: all of them in sight, nothing to scroll.
    if (const int nRows = pList->topLevelItemCount(); nRows > 0)
        pList->setMinimumHeight(pList->header()->sizeHint().height()
                                + nRows * pList->sizeHintForRow(0) + 2 * pList->frameWidth() + 2);
    pList->setMinimumWidth(kColumnWidth + pList->verticalScrollBar()->sizeHint().width()
                           + 2 * pList->frameWidth());
    return true;
}

QList<CColumn *> CDisplayWnd::GetRows() const
{
    QList<CColumn *> rows;
    if (!HasWindow())
        return rows;
    for (int nRow = 0; nRow < m_pUi->columnList->topLevelItemCount(); ++nRow)
        rows.append(ColumnOf(m_pUi->columnList->topLevelItem(nRow)));
    return rows;
}

void CDisplayWnd::ShowRows(const QList<CColumn *> &rows, CColumn *pSelect)
{
    // Rows keep their selection across a re-sort, as the columns they show
    // move to other rows.
    CDisplayList *pList = m_pUi->columnList;
    QList<CColumn *> selected;
    for (const QTreeWidgetItem *pItem : pList->selectedItems())
        selected.append(ColumnOf(pItem));
    if (pSelect && !selected.contains(pSelect))
        selected.append(pSelect);
    CColumn *pCurrent = pSelect ? pSelect : ColumnOf(pList->currentItem());
    pList->clearSelection();
    for (int nRow = 0; nRow < rows.size() && nRow < pList->topLevelItemCount(); ++nRow) {
        QTreeWidgetItem *pItem = pList->topLevelItem(nRow);
        CColumn *pColumn = rows[nRow];
        pItem->setText(0, pColumn->GetTitle());
        pItem->setIcon(0, m_images.GetIcon(pColumn->IsVisible() ? ImgShown : ImgHidden));
        pItem->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(pColumn)));
        if (pColumn == pCurrent)
            pList->setCurrentItem(pItem, 0, QItemSelectionModel::NoUpdate);
        pItem->setSelected(selected.contains(pColumn));
    }
}

void CDisplayWnd::OnToggle()
{
    CDisplayList *pList = m_pUi->columnList;
    int nFirst = -1;
    for (const QTreeWidgetItem *pItem : pList->selectedItems()) {
        const int nRow = pList->indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(pItem));
        if (nFirst < 0 || nRow < nFirst)
            nFirst = nRow;
    }
    if (nFirst < 0)
        return;
    QList<CColumn *> rows = GetRows();
    CColumnOrder::Toggle(rows, nFirst);
    ShowRows(rows);
}

void CDisplayWnd::OnSort()
{
    QList<CColumn *> rows = GetRows();
    CColumnOrder::Sort(rows);
    ShowRows(rows);
}

bool CDisplayWnd::OnApply()
{
    // A list without columns has no cells to keep selected: the rows the
    // administrator selected are taken along by what they show.
    QList<CRowObject> selected;
    CRowObject current;
    // The list is rebuilt, not changed for the administrator: it stays where
    // it was scrolled, and the Properties sheet stays on its row.
    std::optional<CListPositionKeeper> keeper;
    if (m_pView && m_pView->selectionModel())
        keeper.emplace(m_pView);
    if (m_pView && m_pView->selectionModel()) {
        for (const QItemSelectionRange &range : m_pView->selectionModel()->selection())
            for (int nRow = range.top(); nRow <= range.bottom(); ++nRow)
                if (!selected.contains(m_pView->GetRowObject(nRow)))
                    selected.append(m_pView->GetRowObject(nRow));
        current = m_pView->GetRowObject(m_pView->selectionModel()->currentIndex().row());
        m_pView->DeleteColumns();
    }
    if (m_pColumns) {
        CColumnOrder::Apply(GetRows(), *m_pColumns);
        if (m_pView) {
            m_pView->InsertColumns();
            m_pView->FillList(false);
        }
    }
    if (m_pView && m_pView->selectionModel() && m_pView->model()->columnCount() > 0)
        Reselect(selected, current);
    return CPropertyPage::OnApply();
}

void CDisplayWnd::Reselect(const QList<CRowObject> &selected, const CRowObject &current)
{
    QItemSelectionModel *pSelection = m_pView->selectionModel();
    const QAbstractItemModel *pModel = m_pView->model();
    const int nLastColumn = pModel->columnCount() - 1;
    QItemSelection selection;
    for (const CRowObject &object : selected)
        if (const int nRow = m_pView->FindRow(object); nRow >= 0)
            selection.select(pModel->index(nRow, 0), pModel->index(nRow, nLastColumn));
    if (const int nRow = m_pView->FindRow(current); current && nRow >= 0)
        pSelection->setCurrentIndex(pModel->index(nRow, 0), QItemSelectionModel::NoUpdate);
    pSelection->select(selection, QItemSelectionModel::ClearAndSelect);
}

// --- Drag and drop ---------------------------------------------------------

void CDisplayWnd::OnBeginDrag(int nRow, QPoint global)
{
    CDisplayList *pList = m_pUi->columnList;
    QTreeWidgetItem *pItem = pList->topLevelItem(nRow);
    if (!pItem)
        return;
    EndDrag();
    m_nDragRow = nRow;
    // The image is the row as the list draws it, hung from the pointer;
    // it lets every event through to the windows under it.
    m_pDragImage = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint
                                        | Qt::WindowTransparentForInput
                                        | Qt::WindowDoesNotAcceptFocus
                                        | Qt::NoDropShadowWindowHint);
    m_pDragImage->setObjectName(QStringLiteral("dragImage"));
    m_pDragImage->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_pDragImage->setAttribute(Qt::WA_ShowWithoutActivating);
    QRect rect = pList->visualItemRect(pItem);
    rect.setWidth(std::min(rect.width(), pList->columnWidth(0)));
    m_pDragImage->setPixmap(pList->viewport()->grab(rect));
    m_pDragImage->setWindowOpacity(0.7);
    m_pDragImage->adjustSize();
    m_pDragImage->move(global - QPoint(kHotSpot, kHotSpot));
    m_pDragImage->show();
    m_nDropTarget = -1;
    m_bDragging = true;
    grabMouse();
}

void CDisplayWnd::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_bDragging) {
        CPropertyPage::mouseMoveEvent(event);
        return;
    }
    OnDragMove(event->globalPosition().toPoint());
}

void CDisplayWnd::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_bDragging || event->button() != Qt::LeftButton) {
        CPropertyPage::mouseReleaseEvent(event);
        return;
    }
    OnDrop(event->globalPosition().toPoint());
}

void CDisplayWnd::hideEvent(QHideEvent *event)
{
    // The sheet closing (Escape, say) in the middle of a drag ends it
    // without a drop.
    EndDrag();
    CPropertyPage::hideEvent(event);
}

void CDisplayWnd::OnDragMove(QPoint global)
{
    if (m_pDragImage)
        m_pDragImage->move(global - QPoint(kHotSpot, kHotSpot));
    SetDropHighlight(m_nDropTarget, false);
    m_nDropTarget = IsOverList(global) ? RowAt(global) : -1;
    SetDropHighlight(m_nDropTarget, true);
    m_pUi->columnList->viewport()->repaint();
}

void CDisplayWnd::OnDrop(QPoint global)
{
    const int nTarget = m_nDropTarget;
    const int nDragged = m_nDragRow;
    EndDrag();
    if (!IsOverList(global)) {
        Beep(kBeepExclamation);
        return;
    }
    if (nTarget < 0)
        return;
    QList<CColumn *> rows = GetRows();
    CColumn *pDragged = rows.value(nDragged);
    if (CColumnOrder::Move(rows, nDragged, nTarget) >= 0)
        ShowRows(rows, pDragged);
}

void CDisplayWnd::EndDrag()
{
    if (!m_bDragging)
        return;
    m_bDragging = false;
    releaseMouse();
    delete m_pDragImage;
    m_pDragImage = nullptr;
    if (m_pUi && HasWindow()) {
        SetDropHighlight(m_nDropTarget, false);
        m_pUi->columnList->viewport()->update();
    }
    m_nDropTarget = -1;
}

bool CDisplayWnd::IsOverList(QPoint global) const
{
    const CDisplayList *pList = m_pUi->columnList;
    if (!pList->isVisible())
        return false;
    QWidget *pUnder = QApplication::widgetAt(global);
    if (pUnder && pUnder->window() != m_pDragImage)
        return pUnder == pList || pList->isAncestorOf(pUnder);
    // Only the drag image is known to be there: look past it.
    return pList->rect().contains(pList->mapFromGlobal(global));
}

int CDisplayWnd::RowAt(QPoint global) const
{
    const CDisplayList *pList = m_pUi->columnList;
    const QPoint point = pList->viewport()->mapFromGlobal(global);
    if (!pList->viewport()->rect().contains(point))
        return -1;
    const QModelIndex index = pList->indexAt(point);
    return index.isValid() ? index.row() : -1;
}

void CDisplayWnd::SetDropHighlight(int nRow, bool bOn)
{
    QTreeWidgetItem *pItem = m_pUi ? m_pUi->columnList->topLevelItem(nRow) : nullptr;
    if (!pItem)
        return;
    const QPalette &palette = m_pUi->columnList->palette();
    pItem->setBackground(0, bOn ? palette.brush(QPalette::Highlight) : QBrush());
    pItem->setForeground(0, bOn ? palette.brush(QPalette::HighlightedText) : QBrush());
}

// --- The command -------------------------------------------------------------

int CDisplayWnd::OnViewOptions(CAdminView *pView)
{
    // Widths dragged in the list's header since the start belong to the
    // layout the page copies; otherwise OK would put back the old ones.
    if (pView)
        pView->RecordColumnWidths();
    CPropertySheet sheet(CStringTable::Load(IDS_OPTIONS), pView);
    sheet.setObjectName(QStringLiteral("OptionsSheet"));
    sheet.SetApplyButton(false);
    auto *pPage = new CDisplayWnd(pView, &CColumnArray::Shared());
    pPage->m_nShowDeleted = pView && pView->GetShowDeleted() ? 1 : 0;
    sheet.AddPage(pPage);
    auto *pCodePage = new CCodePageWnd;
    sheet.AddPage(pCodePage);
    const int nResult = sheet.DoModal();
    if (nResult == CPropertySheet::IDOK && pView)
        pView->SetShowDeleted(pPage->m_nShowDeleted != 0);
    // Names read otherwise, and logins may name other files now.
    if (pCodePage->IsChanged() && pView)
        pView->FillList(true);
    return nResult;
}
