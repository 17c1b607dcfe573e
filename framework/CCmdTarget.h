#pragma once

#include <QHash>
#include <QList>

#include <functional>

class CCmdRoute;
class CCmdUI;

// Something on the command route (view, document, frame or application) that
// handles commands by id. A target registers a handler for each command it
// serves and, where the enabled or check state depends on its own state, an
// update handler.
class CCmdTarget
{
public:
    using Handler = std::function<void()>;
    using UpdateHandler = std::function<void(CCmdUI *)>;

    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget &) = delete;
    CCmdTarget &operator=(const CCmdTarget &) = delete;
    virtual ~CCmdTarget();

    void AddCommand(int nID, Handler handler);
    void AddUpdateCommandUI(int nID, UpdateHandler handler);
    void RemoveCommand(int nID);

    bool HasCommandHandler(int nID) const;
    bool HasUpdateHandler(int nID) const;

    // Runs the handler of nID; false when this target has none.
    bool OnCmdMsg(int nID);
    // Runs the update handler of nID; false when this target has none.
    bool OnUpdateCmdMsg(int nID, CCmdUI *pCmdUI);

private:
    friend class CCmdRoute;

    QHash<int, Handler> m_handlers;
    QHash<int, UpdateHandler> m_updateHandlers;
    // Routes that point at this target; a target that goes away takes itself
    // off them, so a route never calls a destroyed view.
    QList<CCmdRoute *> m_routes;
};
