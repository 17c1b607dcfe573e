#pragma once

#include <QHash>
#include <QList>
#include <QStatusBar>

class QLabel;
class QKeyEvent;

// The status bar: a message pane that shows the idle text ("Ready") unless a
// status tip or message covers it, and key-state indicators (CAP, NUM, SCRL)
// that show their text while the lock is on and stay blank otherwise.
class CStatusBarEx : public QStatusBar
{
    Q_OBJECT

public:
    explicit CStatusBarEx(QWidget *parent = nullptr);
    ~CStatusBarEx() override;

    // ID_SEPARATOR is the message pane, which must come first; every other
    // id is an indicator whose text is its string. False for an id without
    // a string, or a list that does not start with the message pane.
    bool SetIndicators(const QList<int> &ids);

    // The message pane's text as the user sees it now.
    QString GetPaneText() const;
    // The text the message pane shows at rest ("Ready" until set).
    void SetIdleText(const QString &text);
    QString GetIdleText() const;
    QString GetIndicatorText(int nID) const;
    bool IsIndicatorOn(int nID) const;
    void SetIndicatorOn(int nID, bool bOn);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void OnKeyEvent(const QKeyEvent *pEvent);

    QLabel *m_pMessagePane;
    QHash<int, QLabel *> m_indicators;
    QHash<int, bool> m_on;
};
