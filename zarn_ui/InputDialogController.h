#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

#include <functional>
#include <string>

class QQmlEngine;

namespace zarn::qt {

// The prompt window (FlatInputWindow): a question with up to three answers and, where
// needed, a line of text or a confirming tick. The window is made by type name, shown at
// once and left to its holder: this controller never deletes it.
class InputDialogController : public QObject
{
    Q_OBJECT

public:
    InputDialogController(const std::string& text, const std::string& title, int type, QObject* parent,
                          QQmlEngine* engine, std::function<void(std::string)> acceptCallback,
                          bool showConfirmation);
    ~InputDialogController() override;

    void SetConfirmationPreamble(const QString& preamble);
    void SetProperty(const QString& name, const QVariant& value);
    // Null when the window could not be made.
    QObject* GetQmlObject() const;

public slots:
    void accepted();

private:
    // The holder may delete the window at any time; a guarded pointer notices.
    QPointer<QObject> window_;
    std::function<void(std::string)> acceptCallback_;
};

} // namespace zarn::qt
