#pragma once

#include <QPoint>
#include <QTreeWidget>

// The Display page's list of columns. A drag started on a row is reported
// to the page, which runs it itself (drag image, drop highlight, drop), as
// the list only reorders its own rows and nothing else may take them.
class CDisplayList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CDisplayList(QWidget *pParent = nullptr);

    // The row a drag would start from: the one the left button went down on.
    int GetPressedRow() const { return m_nPressedRow; }

Q_SIGNALS:
    // The left button went down on nRow and the mouse moved far enough to
    // start a drag; global is where the button went down, in screen pixels.
    void BeginDrag(int nRow, QPoint global);
    // A double click anywhere in the list.
    void DoubleClicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;

private:
    int m_nPressedRow = -1;
    QPoint m_pressedGlobal;
};
