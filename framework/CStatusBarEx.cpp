#include "framework/CStatusBarEx.h"

#include "framework/CStringTable.h"
#include "framework/ResourceIds.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

// X11 modifier bits that carry the lock states in a key event's native state.
constexpr quint32 kX11LockMask = 0x02;
constexpr quint32 kX11NumLockMask = 0x10;

const char *IndicatorName(int nID)
{
    switch (nID) {
    case ID_INDICATOR_CAPS: return "ID_INDICATOR_CAPS";
    case ID_INDICATOR_NUM: return "ID_INDICATOR_NUM";
    case ID_INDICATOR_SCRL: return "ID_INDICATOR_SCRL";
    }
    return "";
}

} // namespace

CStatusBarEx::CStatusBarEx(QWidget *parent)
    : QStatusBar(parent), m_pMessagePane(new QLabel(this))
{
    m_pMessagePane->setObjectName(QStringLiteral("MessagePane"));
    m_pMessagePane->setText(CStringTable::Load(AFX_IDS_IDLEMESSAGE));
    // A normal widget: QStatusBar hides it while a temporary message (a
    // status tip) is shown and brings it back when the message clears.
    addWidget(m_pMessagePane, 1);
    qApp->installEventFilter(this);
}

CStatusBarEx::~CStatusBarEx()
{
    qApp->removeEventFilter(this);
}

bool CStatusBarEx::SetIndicators(const QList<int> &ids)
{
    if (ids.isEmpty() || ids.first() != ID_SEPARATOR)
        return false;
    for (int i = 1; i < ids.size(); ++i) {
        const int nID = ids.at(i);
        const QString text = CStringTable::Load(nID);
        if (text.isEmpty() || m_indicators.contains(nID))
            return false;
        auto *pPane = new QLabel(this);
        pPane->setObjectName(QString::fromLatin1(IndicatorName(nID)));
        pPane->setAlignment(Qt::AlignCenter);
        pPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Wide enough for the text, so the bar does not jump when a lock
        // key is toggled.
        pPane->setMinimumWidth(pPane->fontMetrics().horizontalAdvance(text) + 12);
        addPermanentWidget(pPane);
        m_indicators.insert(nID, pPane);
        m_on.insert(nID, false);
    }
#ifdef Q_OS_WIN
    SetIndicatorOn(ID_INDICATOR_CAPS, GetKeyState(VK_CAPITAL) & 1);
    SetIndicatorOn(ID_INDICATOR_NUM, GetKeyState(VK_NUMLOCK) & 1);
    SetIndicatorOn(ID_INDICATOR_SCRL, GetKeyState(VK_SCROLL) & 1);
#endif
    return true;
}

QString CStatusBarEx::GetPaneText() const
{
    const QString message = currentMessage();
    return message.isEmpty() ? m_pMessagePane->text() : message;
}

void CStatusBarEx::SetIdleText(const QString &text)
{
    m_pMessagePane->setText(text);
    m_pMessagePane->setToolTip(text);
}

QString CStatusBarEx::GetIdleText() const
{
    return m_pMessagePane->text();
}

QString CStatusBarEx::GetIndicatorText(int nID) const
{
    const QLabel *pPane = m_indicators.value(nID);
    return pPane ? pPane->text() : QString();
}

bool CStatusBarEx::IsIndicatorOn(int nID) const
{
    return m_on.value(nID, false);
}

void CStatusBarEx::SetIndicatorOn(int nID, bool bOn)
{
    QLabel *pPane = m_indicators.value(nID);
    if (!pPane)
        return;
    m_on.insert(nID, bOn);
    pPane->setText(bOn ? CStringTable::Load(nID) : QString());
}

bool CStatusBarEx::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        // A key event reaches its window once, then travels along the
        // widgets, where the filter would see it again: only the window's
        // copy is counted. Nothing is consumed here.
        const auto *pKey = static_cast<const QKeyEvent *>(event);
        if (watched->isWindowType() && !pKey->isAutoRepeat())
            OnKeyEvent(pKey);
    }
    return QStatusBar::eventFilter(watched, event);
}

void CStatusBarEx::OnKeyEvent(const QKeyEvent *pEvent)
{
#ifdef Q_OS_WIN
    Q_UNUSED(pEvent);
    SetIndicatorOn(ID_INDICATOR_CAPS, GetKeyState(VK_CAPITAL) & 1);
    SetIndicatorOn(ID_INDICATOR_NUM, GetKeyState(VK_NUMLOCK) & 1);
    SetIndicatorOn(ID_INDICATOR_SCRL, GetKeyState(VK_SCROLL) & 1);
#else
    const bool bPress = pEvent->type() == QEvent::KeyPress;
    const int nKey = pEvent->key();
    // Only an event that came from the X server carries its modifier state;
    // a synthesized one (no scan code) is followed like on other platforms.
    const bool bFromX = QGuiApplication::platformName() == QLatin1String("xcb")
                        && pEvent->nativeScanCode() != 0;
    if (bFromX) {
        // X reports the modifier state from before the event: a lock key's
        // own press is about to flip it, every other key shows it as is.
        const quint32 mods = pEvent->nativeModifiers();
        const bool bCaps = mods & kX11LockMask;
        const bool bNum = mods & kX11NumLockMask;
        if (nKey == Qt::Key_CapsLock) {
            if (bPress)
                SetIndicatorOn(ID_INDICATOR_CAPS, !bCaps);
        } else {
            SetIndicatorOn(ID_INDICATOR_CAPS, bCaps);
        }
        if (nKey == Qt::Key_NumLock) {
            if (bPress)
                SetIndicatorOn(ID_INDICATOR_NUM, !bNum);
        } else {
            SetIndicatorOn(ID_INDICATOR_NUM, bNum);
        }
    } else if (bPress && nKey == Qt::Key_CapsLock) {
        SetIndicatorOn(ID_INDICATOR_CAPS, !IsIndicatorOn(ID_INDICATOR_CAPS));
    } else if (bPress && nKey == Qt::Key_NumLock) {
        SetIndicatorOn(ID_INDICATOR_NUM, !IsIndicatorOn(ID_INDICATOR_NUM));
    }
    // No platform reports Scroll Lock as a modifier; it is followed by its
    // presses, starting from off.
    if (bPress && nKey == Qt::Key_ScrollLock)
        SetIndicatorOn(ID_INDICATOR_SCRL, !IsIndicatorOn(ID_INDICATOR_SCRL));
#endif
}
