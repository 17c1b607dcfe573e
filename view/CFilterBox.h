#pragma once

#include <QLineEdit>
#include <QWidget>

class CAdminView;

// The box above the user list in which the administrator types what a row
// must contain to stay shown. Escape clears it; Escape in an empty box, or
// the Down key, goes on to the list.
class CFilterBox : public QLineEdit
{
    Q_OBJECT

public:
    explicit CFilterBox(CAdminView *pView, QWidget *parent = nullptr);

    // A widget holding the box above pView, for the frame's client area.
    static QWidget *WrapWithView(CAdminView *pView, CFilterBox **ppBox = nullptr);

    // Puts the focus in the box with its text selected, ready to be typed over.
    void Focus();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    CAdminView *m_pView;
};
