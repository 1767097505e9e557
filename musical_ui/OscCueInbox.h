#pragma once

#include "zarn_core/Osc.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace zarn {
class ZarnPlayerOscCallback;
}

namespace zarn::qt {

// Carries the cues that the outgoing-OSC callback hands over for later from the engine's
// threads onto the GUI thread. The cue is copied into a queue under this inbox's own lock on
// the engine's thread and the GUI thread is woken by a queued call that carries nothing, so
// the hand-over is a lock a checker of thread use can see, not Qt's event queue. Cues are
// handled one at a time in the order they came, always later than the hand-over. Once the
// inbox is gone, a callback still connected to it hands over into nothing.
class OscCueInbox : public QObject
{
    Q_OBJECT

public:
    // Runs on the GUI thread.
    using Handler = std::function<void(const CL::Osc& osc, std::uint32_t delay)>;

    // Made on the GUI thread, whose event loop runs the handler.
    explicit OscCueInbox(Handler handler);
    ~OscCueInbox() override;

    // Any thread.
    void Post(const CL::Osc& osc, std::uint32_t delay);

    // Connects the callback's hand-over signal, called on the thread that emits it. The
    // connection lives as long as the callback; a cleared gate turns it deaf instead of
    // disconnecting it, because the engine may be emitting on its own thread at that moment
    // and the connection's slot object must not be destroyed under it.
    using Gate = std::shared_ptr<std::atomic<bool>>;
    Gate Connect(ZarnPlayerOscCallback& callback);

private slots:
    void Drain();

private:
    struct Shared;

    std::shared_ptr<Shared> shared_;
    Handler handler_;
};

} // namespace zarn::qt
