#pragma once

#include "PlayerOscCallback.h"
#include "zarn_core/Osc.h"

#include <QHostAddress>
#include <QMetaType>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class Interface;
class QThreadPool;

namespace zarn {

// The engine's outgoing-OSC callback: resolves each due cue's destination, drops it
// while the show is not playing, and sends it after its delay from a small pool of
// time-critical threads, so neither the engine's thread nor the GUI thread waits.
// Destroying it cancels every cue still waiting; only sends already under way finish.
class ZarnPlayerOscCallback : public QObject, public PlayerOscCallback
{
    Q_OBJECT
public:
    static constexpr int kMaxSendThreads = 8;

    // `defaultPort` (normally the OSC listening port) is where a cue goes when its
    // destination cannot be resolved; a value outside 1-65535 makes such sends fail.
    explicit ZarnPlayerOscCallback(int defaultPort, QObject* parent = nullptr);
    ~ZarnPlayerOscCallback() override;

    virtual void SetPlayer(std::shared_ptr<Interface> player);
    virtual void ClearPlayer();

    // Called by the engine on its own threads, and by the main controller.
    void ExecuteEvent(const CL::Osc& osc, std::uint32_t delay) override;
    void EnqueueEvent(const CL::Osc& osc, std::uint32_t delay) override;
    void SetDefaultPort(std::uint16_t port) override;
    // On the engine's cue thread, at the cue's time: sends at once from that thread.
    void SendCueNow(const CL::Osc& osc, const CL::NetworkPath* destination) override;
    void CueThreadFinished() override;

    int defaultPort() const { return defaultPort_.load(); }
    // Sends handed to the pool that are still waiting for their delay or a thread.
    int pendingSends() const;
    // Pool threads busy with a send task (at most kMaxSendThreads).
    int activeSendThreads() const;

signals:
    void enqueueOscCommand(CL::Osc osc, uint32_t delay);
    void OutgoingNotification();

private:
    struct SendState;

    std::shared_ptr<SendState> state_;
    std::shared_ptr<QThreadPool> pool_;
    mutable std::mutex playerMutex_;
    std::shared_ptr<Interface> player_;
    const QHostAddress defaultAddress_{QHostAddress::LocalHost};
    std::atomic<int> defaultPort_;
};

} // namespace zarn

Q_DECLARE_METATYPE(CL::Osc)
