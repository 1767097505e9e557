#pragma once

#include "QmlController.h"

#include <QString>

#include <memory>
#include <string>

class QQmlEngine;

namespace zarn {
class AppSettings;
}

namespace zarn::qt {

// One message dialog (FlatDialogWindow): an icon for the kind of message, a title, the
// text, optional check boxes and OK. A dialog with a "Do not show again" box is tied to a
// named flag of the general settings; once the user turned it off the dialog is still
// made and held, but never shown.
class DialogController : public QmlController
{
    Q_OBJECT

public:
    // Message kinds; any other number is shown as information.
    enum Type { Error = 0, Warning = 1, Information = 2 };

    DialogController(const std::string& text, const std::string& title, int type, QObject* parent,
                     QQmlEngine* engine);
    DialogController(const std::string& text, const std::string& title, int type, QObject* parent,
                     QQmlEngine* engine, std::shared_ptr<AppSettings> settings, bool showCheckbox,
                     const std::string& neverShowKey, bool makeNeverShowSecret, bool largerWindow,
                     bool acknowledgeCheckbox, const std::string& okCheckboxString);
    ~DialogController() override;

    // The window's `type` text for a message kind.
    static QString TypeName(int type);

public slots:
    void onCheckboxConfirmed();

private:
    std::shared_ptr<AppSettings> settings_;
    QString neverShowKey_;
};

} // namespace zarn::qt
