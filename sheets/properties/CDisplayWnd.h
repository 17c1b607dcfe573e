#pragma once

#include "framework/CImageList.h"
#include "framework/CPropertyPage.h"
#include "view/CRowObject.h"

#include <QList>
#include <QPoint>
#include <functional>
#include <memory>
#include <vector>

class CAdminView;
class CColumn;
class CColumnArray;
class QLabel;
namespace Ui {
class CDisplayWnd;
}

// "Display", the page of the Options sheet: which columns the user list
// shows and in which order, and whether deleted users are listed. The page
// works on its own copies of the columns, so Cancel leaves the list as it
// was; OK rebuilds the list's columns at once.
class CDisplayWnd : public CPropertyPage
{
    Q_OBJECT

public:
    enum { IDD = 135 };
    // Where the drag image hangs from the pointer.
    static constexpr int kHotSpot = 8;
    // MessageBeep's exclamation sound.
    static constexpr int kBeepExclamation = 48;

    // Both may be none; the columns are copied from pColumns now.
    CDisplayWnd(CAdminView *pView, CColumnArray *pColumns, QWidget *pParent = nullptr);
    ~CDisplayWnd() override;

    // The "Show deleted users" box: set before the sheet runs, read after.
    int m_nShowDeleted = 0;

    // The columns in the order of the list, as the page holds them now.
    QList<CColumn *> GetRows() const;
    int GetDropTarget() const { return m_nDropTarget; }
    bool IsDragging() const { return m_bDragging; }

    // View › Options... (32791): runs the Options sheet on the view's
    // columns and show-deleted flag. Answers IDOK or IDCANCEL.
    static int OnViewOptions(CAdminView *pView);

    // Tests hear the beep instead of the speaker.
    static void SetBeepHook(std::function<void(int nType)> hook);

protected:
    void CreateControls() override;
    bool DoDataExchange(bool bSaveAndValidate) override;
    bool OnInitDialog() override;
    bool OnApply() override;

    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void ShowRows(const QList<CColumn *> &rows, CColumn *pSelect = nullptr);
    void Reselect(const QList<CRowObject> &selected, const CRowObject &current);
    void OnToggle();
    void OnSort();
    void OnBeginDrag(int nRow, QPoint global);
    void OnDragMove(QPoint global);
    void OnDrop(QPoint global);
    void EndDrag();
    bool IsOverList(QPoint global) const;
    int RowAt(QPoint global) const;
    void SetDropHighlight(int nRow, bool bOn);
    static void Beep(int nType);

    CAdminView *m_pView;
    CColumnArray *m_pColumns;
    std::vector<std::unique_ptr<CColumn>> m_columns;
    CImageList m_images;
    std::unique_ptr<Ui::CDisplayWnd> m_pUi;

    bool m_bDragging = false;
    int m_nDragRow = -1;
    int m_nDropTarget = -1;
    QLabel *m_pDragImage = nullptr;
};
