#pragma once

#include "EditToolController.h"

#include <QMetaObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class Interface;
class QQmlEngine;

namespace cmn {
class ZarnEvent;
}

namespace zarn::qt {

class EditController;

// What every event tool is made with.
struct EventToolContext
{
    QQmlEngine* engine = nullptr;
    std::shared_ptr<Interface> player;
    EditController* editController = nullptr;
    // The main window: the tool's window becomes its child and transient.
    QObject* window = nullptr;
};

// One kind of event tool: how it is made, opened for a new event from the edit panel's
// button (the window's ticks: the selection's ends, or the playhead twice), opened on an
// existing event, and how it announces that its window closed.
struct EventToolKind
{
    char kind = 0;
    std::function<std::unique_ptr<EditToolController>(const EventToolContext&)> make;
    std::function<void(EditToolController&, Interface&, int startTick, int endTick)> openForCreate;
    std::function<void(EditToolController&, Interface&, cmn::ZarnEvent*)> openForEdit;
    std::function<QMetaObject::Connection(EditToolController&, QObject* receiver, std::function<void()> closed)>
        connectClosing;
    // The tool reports value changes also when it was opened from its button.
    bool refreshesOnCreate = false;
};

// A row of the table from a tool class, its closing signal and its two open steps, each
// taking the tool as its own class.
template <class Tool, class ClosingSignal, class Create, class Edit>
EventToolKind MakeEventToolKind(char kind, ClosingSignal closingSignal, Create create, Edit edit,
                                bool refreshesOnCreate = false)
{
    EventToolKind row;
    row.kind = kind;
    row.refreshesOnCreate = refreshesOnCreate;
    row.make = [](const EventToolContext& c) -> std::unique_ptr<EditToolController> {
        return std::make_unique<Tool>(c.engine, c.player, c.editController, c.window);
    };
    row.openForCreate = [create](EditToolController& tool, Interface& player, int startTick, int endTick) {
        create(static_cast<Tool&>(tool), player, startTick, endTick);
    };
    row.openForEdit = [edit](EditToolController& tool, Interface& player, cmn::ZarnEvent* event) {
        edit(static_cast<Tool&>(tool), player, event);
    };
    row.connectClosing = [closingSignal](EditToolController& tool, QObject* receiver, std::function<void()> closed) {
        return QObject::connect(static_cast<Tool*>(&tool), closingSignal, receiver, std::move(closed));
    };
    return row;
}

// The kinds that have a tool, one row each (EventToolKinds.cpp). A kind without a row opens
// nothing.
std::vector<EventToolKind> EventToolKinds();

// The open event tools of the main window: at most one per kind, tools of different kinds
// side by side. A tool is released with deleteLater, since a tool hears that its window
// closed while that window is still emitting; what was released and not yet deleted goes
// with the set.
// GUI thread only.
class EventToolSet
{
public:
    EventToolSet();
    explicit EventToolSet(std::vector<EventToolKind> kinds);
    ~EventToolSet();

    EventToolSet(const EventToolSet&) = delete;
    EventToolSet& operator=(const EventToolSet&) = delete;

    // The row of a kind; null when the kind has no tool.
    const EventToolKind* Find(char kind) const;
    // Adds a kind, or replaces its row.
    void SetKind(EventToolKind kind);

    // A new tool of the row's kind; the one open of that kind is released, its window hidden.
    EditToolController* Replace(const EventToolKind& kind, const EventToolContext& context);
    // The open tool of the kind is let go (the window that closed is left to close itself).
    void Release(char kind);
    // Every tool, open or released, at once: before the engine or the edit controller they
    // were made with goes.
    void DeleteAll();

    // The open tool of a kind; null when none is.
    EditToolController* Tool(char kind) const;

private:
    void Let(EditToolController* tool);

    std::vector<EventToolKind> kinds_;
    std::map<char, QPointer<EditToolController>> open_;
    std::vector<QPointer<EditToolController>> released_;
};

} // namespace zarn::qt
