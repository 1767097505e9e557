#include "ZarnPlayerOscCallback.h"

#include "Interface.h"
#include "OscUdpClient.h"

#include <QThread>
#include <QThreadPool>

#include <chrono>
#include <cerrno>
#include <condition_variable>
#include <functional>
#include <thread>
#include <iostream>

#ifdef __linux__
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_THREAD__)
#define ZARN_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZARN_THREAD_SANITIZER 1
#endif
#endif

#ifdef ZARN_THREAD_SANITIZER
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace zarn {

namespace {

// How long before a cue's due time a send thread stops sleeping and waits actively.
constexpr auto kActiveWaitMargin = std::chrono::milliseconds(10);

// QThreadPool hands a task to its thread through Qt's own locks, which ThreadSanitizer
// cannot see in an uninstrumented Qt; these two calls state that hand-off to it.
#ifdef ZARN_THREAD_SANITIZER
char poolHandOff;
void announceHandOff() { __tsan_release(&poolHandOff); }
void receiveHandOff() { __tsan_acquire(&poolHandOff); }
#else
void announceHandOff() {}
void receiveHandOff() {}
#endif

// QThread::TimeCriticalPriority changes nothing for ordinary Linux threads (their
// scheduling policy has a single priority level). The nearest equivalent, the top of the
// normal range rather than a real-time policy, is the lowest nice value. A send thread
// holds it only from shortly before its cue is due until the datagram is out: held from
// the start, the woken thread would pre-empt the engine's thread in the middle of the
// hand-off. Without the right to raise it, the thread simply stays as it is.
class TimeCriticalSection
{
public:
    TimeCriticalSection()
    {
#ifdef __linux__
        thread_local bool slackSet = false;
        if (!slackSet) {
            prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL); // wake at the due time, not up to 50 us later
            slackSet = true;
        }
        tid_ = static_cast<id_t>(syscall(SYS_gettid));
        errno = 0;
        previous_ = getpriority(PRIO_PROCESS, tid_);
        raised_ = errno == 0 && setpriority(PRIO_PROCESS, tid_, -20) == 0;
#endif
    }
    ~TimeCriticalSection()
    {
#ifdef __linux__
        if (raised_)
            setpriority(PRIO_PROCESS, tid_, previous_);
#endif
    }
    TimeCriticalSection(const TimeCriticalSection&) = delete;
    TimeCriticalSection& operator=(const TimeCriticalSection&) = delete;

private:
#ifdef __linux__
    id_t tid_ = 0;
    int previous_ = 0;
    bool raised_ = false;
#endif
};

} // namespace

// Shared by the callback and its send tasks: the tasks sleep on `wake` so that the
// callback's destruction can cancel them at once.
struct ZarnPlayerOscCallback::SendState
{
    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<bool> cancelled{false}; // written under `mutex`, read without it while spinning
    int pending = 0; // tasks handed to the pool and not yet finished or cancelled
    int sending = 0; // tasks past their delay, sending now
};

ZarnPlayerOscCallback::ZarnPlayerOscCallback(int defaultPort, QObject* parent)
    : QObject(parent),
      state_(std::make_shared<SendState>()),
      pool_(std::make_shared<QThreadPool>()),
      defaultPort_(defaultPort)
{
    pool_->setMaxThreadCount(kMaxSendThreads);
    pool_->setThreadPriority(QThread::TimeCriticalPriority);
}

ZarnPlayerOscCallback::~ZarnPlayerOscCallback()
{
    {
        std::unique_lock lock(state_->mutex);
        state_->cancelled = true;
        state_->wake.notify_all();
        // A send under way may still signal through this object: let it finish.
        state_->wake.wait(lock, [this] { return state_->sending == 0; });
    }
    pool_->clear();
    pool_->waitForDone();
}

void ZarnPlayerOscCallback::SetPlayer(std::shared_ptr<Interface> player)
{
    std::lock_guard lock(playerMutex_);
    player_ = std::move(player);
}

void ZarnPlayerOscCallback::ClearPlayer()
{
    std::shared_ptr<Interface> released;
    {
        std::lock_guard lock(playerMutex_);
        released.swap(player_);
    }
    // `released` may be the engine's last owner; it is let go outside the lock.
}

int ZarnPlayerOscCallback::pendingSends() const
{
    std::lock_guard lock(state_->mutex);
    return state_->pending;
}

int ZarnPlayerOscCallback::activeSendThreads() const
{
    return pool_->activeThreadCount();
}

void ZarnPlayerOscCallback::ExecuteEvent(const CL::Osc& osc, std::uint32_t delay)
{
    const auto handOff = std::chrono::steady_clock::now();
    QHostAddress address = defaultAddress_;
    int port = defaultPort_.load();
    std::shared_ptr<Interface> player;
    {
        std::lock_guard lock(playerMutex_);
        player = player_;
    }
    try {
        if (player) {
            try {
                const CL::NetworkPath network = player->GetNetwork(osc.osc_properties().NetworkId());
                address = QHostAddress(QString::fromStdString(network.IpAddress()));
                port = network.port;
            } catch (const std::exception& e) {
                std::cerr << "Unable to fully configure OSC Send command: " << e.what()
                          << ". Using default values of localhost:" << port << std::endl;
                address = defaultAddress_;
                port = defaultPort_.load();
            }
            if (!player->GetIsPlaying())
                return;
        }
    } catch (const std::exception& e) {
        // Called on the engine's threads: nothing may be thrown back into them.
        std::cerr << "OSC cue dropped: " << e.what() << std::endl;
        return;
    }

    const QString command = QString::fromStdString(osc.osc_properties().Message());
    if (command.trimmed().isEmpty())
        return;

    {
        std::lock_guard lock(state_->mutex);
        if (state_->cancelled)
            return;
        ++state_->pending;
    }
    const auto deadline = handOff + std::chrono::milliseconds(delay);
    std::shared_ptr<SendState> state = state_;
    std::function<void()> task = [state, command, address, port, deadline, owner = this] {
        receiveHandOff();
        // Made before the wait, so that only the write itself is left for the due time.
        osc::OscUdpClient client;
        client.prepare(address);
        {
            std::unique_lock lock(state->mutex);
            // The delay runs from the hand-off, so a task that had to wait for a free
            // thread is not late by that wait as well.
            state->wake.wait_until(lock, deadline - kActiveWaitMargin, [&] { return state->cancelled.load(); });
        }
        const TimeCriticalSection timeCritical;
        // A timed sleep can wake milliseconds late on a busy or virtual machine, so the
        // last stretch before the due time is waited actively.
        while (std::chrono::steady_clock::now() < deadline && !state->cancelled.load(std::memory_order_relaxed))
            std::this_thread::yield();
        {
            std::lock_guard lock(state->mutex);
            --state->pending;
            if (state->cancelled)
                return;
            ++state->sending;
        }
        if (client.send(command, address, port))
            emit owner->OutgoingNotification();
        std::lock_guard lock(state->mutex);
        --state->sending;
        state->wake.notify_all();
    };
    announceHandOff();
    pool_->start(std::move(task));
}

void ZarnPlayerOscCallback::EnqueueEvent(const CL::Osc& osc, std::uint32_t delay)
{
    emit enqueueOscCommand(osc, delay);
}

namespace {
// The engine's cue thread keeps one socket, readied once, so a send costs only the write.
thread_local std::unique_ptr<osc::OscUdpClient> t_cueClient;
thread_local QHostAddress t_cueClientFamily;
} // namespace

void ZarnPlayerOscCallback::SendCueNow(const CL::Osc& osc, const CL::NetworkPath* destination)
{
    const QString command = QString::fromStdString(osc.osc_properties().Message());
    if (command.trimmed().isEmpty())
        return;
    QHostAddress address = defaultAddress_;
    int port = defaultPort_.load();
    if (destination) {
        address = QHostAddress(QString::fromStdString(destination->IpAddress()));
        port = destination->port;
    } else {
        std::cerr << "Unable to fully configure OSC Send command: there is no network destination \""
                  << osc.osc_properties().NetworkId() << "\". Using default values of localhost:" << port << std::endl;
    }
    {
        std::lock_guard lock(state_->mutex);
        if (state_->cancelled)
            return;
        ++state_->sending;
    }
    try {
        if (!t_cueClient || t_cueClientFamily.protocol() != address.protocol()) {
            t_cueClient = std::make_unique<osc::OscUdpClient>();
            t_cueClient->prepare(address);
            t_cueClientFamily = address;
        }
        if (t_cueClient->send(command, address, port))
            emit OutgoingNotification();
    } catch (const std::exception& e) {
        std::cerr << "OSC cue dropped: " << e.what() << std::endl;
    }
    std::lock_guard lock(state_->mutex);
    --state_->sending;
    state_->wake.notify_all();
}

void ZarnPlayerOscCallback::CueThreadFinished()
{
    t_cueClient.reset();
}

void ZarnPlayerOscCallback::SetDefaultPort(std::uint16_t port)
{
    defaultPort_.store(port);
}

} // namespace zarn
