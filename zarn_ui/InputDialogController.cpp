#include "InputDialogController.h"

#include "DialogController.h"
#include "QmlModuleLoader.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>

#include <iostream>

namespace zarn::qt {

InputDialogController::InputDialogController(const std::string& text, const std::string& title, int type,
                                             QObject* parent, QQmlEngine* engine,
                                             std::function<void(std::string)> acceptCallback,
                                             bool showConfirmation)
    : QObject(parent)
{
    QQmlComponent component(engine);
    QmlModuleLoader::LoadFromModule(component, QmlModuleLoader::kZarnUiModule, QStringLiteral("FlatInputWindow"));
    if (component.isError()) {
        for (const QQmlError& e : component.errors())
            std::cerr << e.toString().toStdString() << "\n";
        return;
    }

    window_ = component.createWithInitialProperties({{QStringLiteral("showConfirmation"), showConfirmation}},
                                                     engine->rootContext());
    if (!window_) {
        for (const QQmlError& e : component.errors())
            std::cerr << e.toString().toStdString() << "\n";
        return;
    }
    // The holder decides when the window goes; the QML engine must not collect it first.
    QQmlEngine::setObjectOwnership(window_, QQmlEngine::CppOwnership);

    window_->setProperty("title", QString::fromStdString(title));
    window_->setProperty("text", QString::fromStdString(text));
    window_->setProperty("type", DialogController::TypeName(type));
    connect(window_, SIGNAL(accepted()), this, SLOT(accepted()));
    acceptCallback_ = std::move(acceptCallback);
    window_->setProperty("visible", true);
}

InputDialogController::~InputDialogController()
{
    acceptCallback_ = nullptr;
}

void InputDialogController::SetConfirmationPreamble(const QString& preamble)
{
    SetProperty(QStringLiteral("confirmationPreamble"), preamble);
}

void InputDialogController::SetProperty(const QString& name, const QVariant& value)
{
    if (window_)
        window_->setProperty(name.toUtf8().constData(), value);
}

QObject* InputDialogController::GetQmlObject() const
{
    return window_;
}

void InputDialogController::accepted()
{
    if (!window_ || !acceptCallback_)
        return;
    acceptCallback_(window_->property("value").toString().toStdString());
}

} // namespace zarn::qt
