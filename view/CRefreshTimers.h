#pragma once

#include <QObject>

#include <functional>

class QTimer;

// The user list's four timers: the periodic refresh (1 s after the start,
// 3 s later, then every 20 s), the manual refresh, and the end and the steps
// of the Refresh button's blinking, which lasts 3 s from each refresh. Each
// timer fires once per start; a manual refresh also restarts the period.
class CRefreshTimers : public QObject
{
    Q_OBJECT

public:
    enum Timer { TimerRefresh = 1, TimerAnimationEnd = 2, TimerAnimationStep = 3,
                 TimerManualRefresh = 4 };
    static constexpr int kFirstRefreshMs = 1000;
    static constexpr int kShortPeriodMs = 3000;
    static constexpr int kPeriodMs = 20000;
    static constexpr int kAnimationMs = 3000;
    static constexpr int kAnimationStepMs = 200;
    // The Refresh button's place on the main frame's toolbar (the gap
    // counts) and its images: at rest, and the two of its blinking.
    static constexpr int kRefreshButtonIndex = 3;
    enum RefreshImage { ImgRefreshRest = 2, ImgRefreshBright = 3, ImgRefreshDark = 4 };

    // refresh(bReload) does the refresh; bReload is set for a manual one.
    CRefreshTimers(std::function<void(bool)> refresh, QObject *parent);

    // Starts the periodic refresh.
    void Start();
    // Refreshes at once, from the event loop.
    void RefreshNow();

    bool IsActive(int nTimer) const;
    int GetInterval(int nTimer) const;
    // 0 at rest, otherwise the image the button shows or is about to.
    int GetAnimationPhase() const { return m_nAnimationPhase; }

private:
    QTimer *TimerOf(int nTimer) const;
    void OnTimer(int nTimer);
    static void SetRefreshButtonImage(int nImage);

    std::function<void(bool)> m_refresh;
    QTimer *m_pTimers[4];
    int m_nAnimationPhase = 0;
    bool m_bShortFirstPeriod = true;
};
