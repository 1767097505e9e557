#include "EventToolSet.h"

#include <algorithm>
#include <utility>

namespace zarn::qt {

EventToolSet::EventToolSet()
    : EventToolSet(EventToolKinds())
{
}

EventToolSet::EventToolSet(std::vector<EventToolKind> kinds)
    : kinds_(std::move(kinds))
{
}

EventToolSet::~EventToolSet()
{
    DeleteAll();
}

const EventToolKind* EventToolSet::Find(char kind) const
{
    const auto found = std::find_if(kinds_.begin(), kinds_.end(), [kind](const EventToolKind& row) {
        return row.kind == kind;
    });
    return found == kinds_.end() ? nullptr : &*found;
}

void EventToolSet::SetKind(EventToolKind kind)
{
    const auto found = std::find_if(kinds_.begin(), kinds_.end(), [&](const EventToolKind& row) {
        return row.kind == kind.kind;
    });
    if (found == kinds_.end())
        kinds_.push_back(std::move(kind));
    else
        *found = std::move(kind);
}

EditToolController* EventToolSet::Replace(const EventToolKind& kind, const EventToolContext& context)
{
    if (EditToolController* previous = Tool(kind.kind)) {
        // Hidden at once: deleting it only schedules its window's deletion.
        if (QObject* window = previous->GetQmlObject())
            window->setProperty("visible", false);
        Let(previous);
    }
    std::unique_ptr<EditToolController> tool = kind.make(context);
    EditToolController* made = tool.release();
    open_[kind.kind] = made;
    return made;
}

void EventToolSet::Release(char kind)
{
    const auto found = open_.find(kind);
    if (found == open_.end())
        return;
    EditToolController* tool = found->second.data();
    open_.erase(found);
    if (tool)
        Let(tool);
}

void EventToolSet::Let(EditToolController* tool)
{
    // A released tool says nothing more; its window may still be finishing a signal into it.
    QObject::disconnect(tool, nullptr, nullptr, nullptr);
    tool->deleteLater();
    released_.erase(std::remove(released_.begin(), released_.end(), nullptr), released_.end());
    released_.emplace_back(tool);
    for (auto it = open_.begin(); it != open_.end();) {
        if (it->second == tool)
            it = open_.erase(it);
        else
            ++it;
    }
}

void EventToolSet::DeleteAll()
{
    std::vector<QPointer<EditToolController>> all = std::move(released_);
    released_.clear();
    for (auto& [kind, tool] : open_)
        all.push_back(tool);
    open_.clear();
    for (const QPointer<EditToolController>& tool : all)
        delete tool.data();
}

EditToolController* EventToolSet::Tool(char kind) const
{
    const auto found = open_.find(kind);
    return found == open_.end() ? nullptr : found->second.data();
}

} // namespace zarn::qt
