#include "view/CRefreshTimers.h"

#include "framework/CFrameWnd.h"
#include "framework/CToolBarEx.h"
#include "framework/ResourceIds.h"

#include <QTimer>

CRefreshTimers::CRefreshTimers(std::function<void(bool)> refresh, QObject *parent)
    : QObject(parent), m_refresh(std::move(refresh))
{
    for (int nTimer = TimerRefresh; nTimer <= TimerManualRefresh; ++nTimer) {
        auto *pTimer = new QTimer(this);
        pTimer->setSingleShot(true);
        connect(pTimer, &QTimer::timeout, this, [this, nTimer] { OnTimer(nTimer); });
        m_pTimers[nTimer - 1] = pTimer;
    }
}

void CRefreshTimers::Start()
{
    TimerOf(TimerRefresh)->start(kFirstRefreshMs);
}

void CRefreshTimers::RefreshNow()
{
    TimerOf(TimerManualRefresh)->start(0);
}

QTimer *CRefreshTimers::TimerOf(int nTimer) const
{
    return m_pTimers[qBound(int(TimerRefresh), nTimer, int(TimerManualRefresh)) - 1];
}

bool CRefreshTimers::IsActive(int nTimer) const
{
    return TimerOf(nTimer)->isActive();
}

int CRefreshTimers::GetInterval(int nTimer) const
{
    return TimerOf(nTimer)->interval();
}

void CRefreshTimers::OnTimer(int nTimer)
{
    TimerOf(nTimer)->stop();
    switch (nTimer) {
    case TimerRefresh:
    case TimerManualRefresh:
        SetRefreshButtonImage(ImgRefreshDark);
        TimerOf(TimerAnimationEnd)->start(kAnimationMs);
        TimerOf(TimerAnimationStep)->start(kAnimationStepMs);
        m_nAnimationPhase = 9;
        m_refresh(nTimer == TimerManualRefresh);
        TimerOf(TimerRefresh)->start(m_bShortFirstPeriod ? kShortPeriodMs : kPeriodMs);
        m_bShortFirstPeriod = false;
        break;
    case TimerAnimationEnd:
        m_nAnimationPhase = 0;
        SetRefreshButtonImage(ImgRefreshRest);
        break;
    case TimerAnimationStep:
        if (m_nAnimationPhase != 0 && CFrameWnd::GetMainWnd()) {
            m_nAnimationPhase = m_nAnimationPhase == ImgRefreshBright ? ImgRefreshDark
                                                                      : ImgRefreshBright;
            SetRefreshButtonImage(m_nAnimationPhase);
            TimerOf(TimerAnimationStep)->start(kAnimationStepMs);
        }
        break;
    default:
        break;
    }
}

void CRefreshTimers::SetRefreshButtonImage(int nImage)
{
    CFrameWnd *pFrame = CFrameWnd::GetMainWnd();
    if (pFrame && pFrame->GetToolBar())
        pFrame->GetToolBar()->SetButtonInfo(kRefreshButtonIndex, ID_VIEW_REFRESH,
                                            CToolBarEx::TBBS_BUTTON, nImage);
}
