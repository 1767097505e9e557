#pragma once

#include <QMetaObject>
#include <QObject>

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>

namespace zarn::qt {

class DialogController;

// The one message dialog of a window. As a rule a new dialog replaces (and deletes) the one
// on screen. A held dialog is never replaced while it is up: what is raised meanwhile waits
// in line, and each waiting dialog is made and shown when the one before it has closed,
// however it closed; a dialog shown from the line holds the rest back the same way. While
// deferring, everything raised waits, so a notice shown afterwards still comes first.
// GUI thread only.
class DialogQueue : public QObject
{
    Q_OBJECT

public:
    using Maker = std::function<std::unique_ptr<DialogController>()>;

    DialogQueue();
    ~DialogQueue() override;

    // Replaces the dialog on screen, or waits in line behind a held one.
    void Show(Maker make);
    // Replaces the dialog on screen at once, held or not; a held one holds the line while it
    // is up.
    void ShowNow(Maker make, bool hold);
    // Until Release, every dialog raised waits in line.
    void Defer();
    // The line moves on as soon as no held dialog is up.
    void Release();

    DialogController* Current() const;
    std::size_t Waiting() const;

private:
    void Install(std::unique_ptr<DialogController> dialog, bool hold);
    void OnHeldClosed(unsigned generation);
    void ShowNext();
    static bool IsUp(const DialogController* dialog);

    std::unique_ptr<DialogController> current_;
    std::deque<Maker> waiting_;
    bool deferring_ = false;
    bool holding_ = false;
    // Tells a close of the current dialog from a late one of a dialog already replaced.
    unsigned generation_ = 0;
    QMetaObject::Connection hidden_;
    QMetaObject::Connection destroyed_;
};

} // namespace zarn::qt
