#include "framework/CCmdTarget.h"

#include "framework/CCmdRoute.h"

CCmdTarget::~CCmdTarget()
{
    const QList<CCmdRoute *> routes = m_routes;
    for (CCmdRoute *pRoute : routes)
        pRoute->DetachTarget(this);
}

void CCmdTarget::AddCommand(int nID, Handler handler)
{
    m_handlers.insert(nID, std::move(handler));
}

void CCmdTarget::AddUpdateCommandUI(int nID, UpdateHandler handler)
{
    m_updateHandlers.insert(nID, std::move(handler));
}

void CCmdTarget::RemoveCommand(int nID)
{
    m_handlers.remove(nID);
    m_updateHandlers.remove(nID);
}

bool CCmdTarget::HasCommandHandler(int nID) const
{
    return m_handlers.contains(nID);
}

bool CCmdTarget::HasUpdateHandler(int nID) const
{
    return m_updateHandlers.contains(nID);
}

bool CCmdTarget::OnCmdMsg(int nID)
{
    const auto it = m_handlers.constFind(nID);
    if (it == m_handlers.constEnd())
        return false;
    // A copy, because the handler may replace or remove itself.
    const Handler handler = it.value();
    handler();
    return true;
}

bool CCmdTarget::OnUpdateCmdMsg(int nID, CCmdUI *pCmdUI)
{
    const auto it = m_updateHandlers.constFind(nID);
    if (it == m_updateHandlers.constEnd())
        return false;
    const UpdateHandler handler = it.value();
    handler(pCmdUI);
    return true;
}
