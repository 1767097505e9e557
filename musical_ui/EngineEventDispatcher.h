#pragma once

#include "zarn_core/EventObserver.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace zarn::qt {

// Carries the engine's notifications onto the GUI thread. The observer calls back on engine
// threads; there the text is copied into a queue under this dispatcher's own lock and the
// GUI thread is woken by a queued call to this object. Notifications still queued when the
// dispatcher dies die with it, so nothing an engine thread posted can reach a handler that is
// gone. They are handled one at a time in posting order, and always later than the post, also
// when it was made on the GUI thread.
class EngineEventDispatcher : public QObject
{
    Q_OBJECT

public:
    // Runs on the GUI thread with the text trimmed of surrounding white space.
    using Handler = std::function<void(int id, int value, const QString& text)>;

    // Made on the GUI thread, whose event loop runs the handler.
    explicit EngineEventDispatcher(Handler handler);
    ~EngineEventDispatcher() override;

    // For the registrations. Null once StopObserving has run.
    notify::EventObserver* Observer() const;

    // Any thread. A null text is an empty one; invalid UTF-8 is replaced.
    void Post(int id, int value, const char* text);

    // Ends the observer's callbacks, waiting for one running on another thread to return.
    void StopObserving();

private slots:
    void Drain();

private:
    struct Notice
    {
        int id;
        int value;
        QString text;
    };

    Handler handler_;
    std::unique_ptr<notify::EventObserver> observer_;
    // The hand-over between the threads is this lock, not the event loop's: a checker of
    // thread use sees it, and the woken call carries nothing.
    std::mutex mutex_;
    std::deque<Notice> queue_;
    bool wakePending_ = false;
};

} // namespace zarn::qt
