#pragma once

#include "uilib/CZoCoolDlg.h"

#include <QHash>

class QLabel;
class QHBoxLayout;

// The shared UI library's message box. SetType(kind, buttons) chooses the
// caption and icon (kind 1..6: information, internal error, authorization,
// warning, delete, close message) and the buttons (a set of button ids, bit
// id-1 for each: 1 Ok, 2 Cancel, 4 Abort, 8 Retry, 16 Ignore, 32 Yes,
// 64 No). The box records the button its user closed it with; a box ended
// through EndDialog records no choice.
class CZoMessageBox : public CZoCoolDlg
{
    Q_OBJECT

public:
    enum Kind {
        Information = 1,
        InternalError,
        Authorization,
        Warning,
        Delete,
        Close,
    };

    static constexpr int ButtonBit(int nButtonId) { return 1 << (nButtonId - 1); }

    explicit CZoMessageBox(QWidget *parent = nullptr);

    // Loads the button labels from the program's string table.
    static void InitButtonIds();
    static QString GetButtonLabel(int nButtonId);

    void SetType(int nKind, int nButtons);
    void SetMessage(const QString &csMessage);
    QString GetMessage() const;
    int GetKind() const { return m_nKind; }
    int GetButtons() const { return m_nButtons; }

    // The button id the user closed the box with, 0 when none was chosen.
    int GetChoice() const { return m_nChoice; }

    int DoModal() override;

    // Test hook: the next DoModal records and returns this button id
    // without showing the box.
    static void SetNextAnswer(int nButtonId);

public Q_SLOTS:
    void reject() override;

private:
    void Choose(int nButtonId);
    void RebuildButtons();

    int m_nKind = Information;
    int m_nButtons = ButtonBit(IDOK);
    int m_nChoice = 0;
    bool m_bMessageSet = false;
    QLabel *m_pIcon;
    QLabel *m_pText;
    QHBoxLayout *m_pButtonRow;
};
