#pragma once

#include <QColor>
#include <QRect>
#include <QTreeView>

#include <functional>

class CImageList;
class QFontMetrics;

// A report list that draws its rows itself: the selection highlight covers
// the whole row and, while "client width selection" is on, reaches the
// right edge of the window even when the columns end before it. Texts too
// wide for their cell are cut to the longest prefix that fits, followed by
// "...". Rows show a small image beside their first cell.
//
// The rules that decide what is drawn (shortening, alignment, highlight
// extent, image blending) are static functions, so that they can be checked
// without looking at pixels.
class CListViewEx : public QTreeView
{
    Q_OBJECT

public:
    // Image lists a list can hold.
    enum ImageListType { LVSIL_NORMAL = 0, LVSIL_SMALL = 1, LVSIL_STATE = 2 };
    // What a row tells the list besides its texts: the number of its image
    // in the small list, and state bits of its own (cut, drop highlight,
    // state image in bits 12 to 15).
    enum Role { ImageRole = Qt::UserRole + 1, StateRole };
    // Row state bits, as list rows carry them.
    static constexpr int LVIS_FOCUSED = 0x0001;
    static constexpr int LVIS_SELECTED = 0x0002;
    static constexpr int LVIS_CUT = 0x0004;
    static constexpr int LVIS_DROPHILITED = 0x0008;
    static constexpr int LVIS_OVERLAYMASK = 0x0F00;
    static constexpr int LVIS_STATEIMAGEMASK = 0xF000;
    // Room kept beside a text when deciding whether it fits: the first
    // cell is drawn 2 pixels in from each side, the others 6.
    static constexpr int kLabelOffset = 4;
    static constexpr int kCellOffset = 12;
    static constexpr int kSmallIconSize = 16;

    explicit CListViewEx(QWidget *parent = nullptr);
    ~CListViewEx() override;

    bool GetFullRowSel() const { return m_bFullRowSel; }
    bool GetClientWidthSel() const { return m_bClientWidthSel; }
    void SetClientWidthSel(bool bOn);
    // The list is always a report list; kept as a question for the rules
    // that depend on it.
    bool IsReportMode() const { return true; }
    // Whether the selection stays highlighted while the list has no focus.
    bool GetShowSelAlways() const { return m_bShowSelAlways; }
    void SetShowSelAlways(bool bOn);

    // The list does not own the image lists.
    void SetImageList(const CImageList *pImages, int nType);
    const CImageList *GetImageList(int nType) const;
    void SetTextBkColor(const QColor &color);
    QColor GetTextBkColor() const { return m_clrTextBk; }
    void SetBkColor(const QColor &color);
    QColor GetBkColor() const { return m_clrBkgnd; }

    // The client area's width as last sized.
    int GetClientWidth() const { return m_cxClient; }
    // The state bits of a row as drawing sees them: the row's own state
    // plus selected and focused from the view.
    int GetRowState(const QModelIndex &index) const;
    // The rectangle of the highlight of a row, in viewport coordinates.
    QRect GetHighlightRect(const QModelIndex &index) const;
    // The left edge of the first cell's text (after state image and icon).
    int GetLabelLeft(const QRect &firstCell) const;

    // --- Drawing rules ---------------------------------------------------
    using TextWidth = std::function<int(QStringView)>;
    // text itself when it fits in nWidth with nOffset to spare, otherwise
    // its longest prefix that fits followed by "..."; at least the first
    // character always remains.
    static QString MakeShortString(const TextWidth &width, const QString &text, int nWidth,
                                   int nOffset);
    static QString MakeShortString(const QFontMetrics &metrics, const QString &text, int nWidth,
                                   int nOffset);
    // Alignment of a cell's text: the first column is always left aligned,
    // so is a shortened text; otherwise the column format (0 left, 1 right,
    // 2 centred) decides.
    static Qt::Alignment CellAlignment(int nColumn, int nFormat, bool bShortened);
    // Column format of a Qt alignment.
    static int FormatOfAlignment(Qt::Alignment alignment);
    // A row is highlighted when it is selected and the list has the focus
    // or keeps its selection shown, or when it is a drop target.
    static bool IsHighlighted(bool bHasFocus, bool bShowSelAlways, int nState);
    // The highlight spans the row from its label's left edge; with client
    // width selection it reaches the client area's right edge.
    static QRect HighlightRect(const QRect &rowBounds, int nLabelLeft, int cxClient,
                               bool bClientWidthSel);
    enum class ImageBlend { None, Background, Highlight };
    // A cut row's image is blended with the background, a highlighted
    // row's with the highlight colour; otherwise it is drawn as it is.
    static ImageBlend ImageBlendFor(int nState, bool bHighlighted);

protected:
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;
    void resizeEvent(QResizeEvent *event) override;
    // Selection and focus changes repaint rows out to the client edge, where
    // the stretched highlight lies beyond the last column.
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    friend class CListViewExDelegate;

    QRect RowBounds(const QRect &rowRect) const;
    void DrawFocus(QPainter *painter, const QRect &rect) const;
    void UpdateRowToClientEdge(const QModelIndex &index);

    bool m_bFullRowSel = true;
    bool m_bClientWidthSel = true;
    bool m_bShowSelAlways = false;
    int m_cxClient = 0;
    int m_cxStateImageOffset = 0;
    QColor m_clrTextBk;
    QColor m_clrBkgnd;
    const CImageList *m_pNormalImages = nullptr;
    const CImageList *m_pSmallImages = nullptr;
    const CImageList *m_pStateImages = nullptr;
};
