#include "DialogQueue.h"

#include "DialogController.h"
#include "FatalError.h"

#include <QWindow>

#include <utility>

namespace zarn::qt {

DialogQueue::DialogQueue() = default;

DialogQueue::~DialogQueue()
{
    QObject::disconnect(hidden_);
    QObject::disconnect(destroyed_);
}

void DialogQueue::Show(Maker make)
{
    // A held dialog that has just closed holds nothing back any more, even before the
    // step to the next one has run.
    if (deferring_ || !waiting_.empty() || (holding_ && IsUp(current_.get()))) {
        waiting_.push_back(std::move(make));
        return;
    }
    Install(make(), false);
}

void DialogQueue::ShowNow(Maker make, bool hold)
{
    Install(make(), hold);
}

void DialogQueue::Defer()
{
    deferring_ = true;
}

void DialogQueue::Release()
{
    deferring_ = false;
    if (!holding_)
        ShowNext();
}

DialogController* DialogQueue::Current() const
{
    return current_.get();
}

std::size_t DialogQueue::Waiting() const
{
    return waiting_.size();
}

bool DialogQueue::IsUp(const DialogController* dialog)
{
    const QObject* window = dialog ? dialog->GetQmlObject() : nullptr;
    return window && window->property("visible").toBool();
}

void DialogQueue::Install(std::unique_ptr<DialogController> dialog, bool hold)
{
    QObject::disconnect(hidden_);
    QObject::disconnect(destroyed_);
    ++generation_;
    current_ = std::move(dialog);
    // A dialog that could not be made, or that the user asked never to see again, is not up
    // and holds nothing back.
    holding_ = hold && IsUp(current_.get());
    if (!holding_)
        return;

    // The step to the next dialog waits for the event loop: the window is still inside its
    // close, and its controller may still have to hear the window's last signals.
    const unsigned generation = generation_;
    const auto closed = [this, generation] {
        QMetaObject::invokeMethod(
            this, [this, generation] { FatalError::Guard([&] { OnHeldClosed(generation); }); },
            Qt::QueuedConnection);
    };
    QObject* window = current_->GetQmlObject();
    if (auto* quickWindow = qobject_cast<QWindow*>(window)) {
        hidden_ = connect(quickWindow, &QWindow::visibleChanged, this, [closed](bool visible) {
            if (!visible)
                closed();
        });
    }
    destroyed_ = connect(window, &QObject::destroyed, this, closed);
}

void DialogQueue::OnHeldClosed(unsigned generation)
{
    if (generation != generation_ || !holding_ || IsUp(current_.get()))
        return;
    holding_ = false;
    QObject::disconnect(hidden_);
    QObject::disconnect(destroyed_);
    if (!deferring_)
        ShowNext();
}

void DialogQueue::ShowNext()
{
    while (!waiting_.empty() && !holding_) {
        Maker make = std::move(waiting_.front());
        waiting_.pop_front();
        Install(make(), true);
    }
}

} // namespace zarn::qt
