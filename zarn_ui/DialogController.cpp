#include "DialogController.h"

#include "AppSettings.h"

#include <QQuickItem>
#include <QUrl>
#include <QVariantMap>
#include <QWindow>

namespace zarn::qt {

namespace {

const QUrl kDialogUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/zarn_ui/qml/FlatDialogWindow.qml"));

QVariantMap InitialTexts(const std::string& text, const std::string& title)
{
    return {{QStringLiteral("title"), QString::fromStdString(title)},
            {QStringLiteral("text"), QString::fromStdString(text)}};
}

} // namespace

DialogController::DialogController(const std::string& text, const std::string& title, int type,
                                   QObject* parent, QQmlEngine* engine)
    : DialogController(text, title, type, parent, engine, nullptr, false, std::string(), false, false, false,
                       "Acknowledge")
{
}

DialogController::DialogController(const std::string& text, const std::string& title, int type,
                                   QObject* parent, QQmlEngine* engine, std::shared_ptr<AppSettings> settings,
                                   bool showCheckbox, const std::string& neverShowKey, bool makeNeverShowSecret,
                                   bool largerWindow, bool acknowledgeCheckbox,
                                   const std::string& okCheckboxString)
    : QmlController(engine, kDialogUrl, qobject_cast<QQuickItem*>(parent), true, InitialTexts(text, title))
    , settings_(std::move(settings))
    , neverShowKey_(QString::fromStdString(neverShowKey))
{
    QObject* window = GetQmlObject();
    if (!window)
        return; // the base has reported why

    // The main window is a window, not an item: the dialog belongs to it and stays above it.
    if (auto* parentWindow = qobject_cast<QWindow*>(parent)) {
        window->QObject::setParent(parentWindow);
        if (auto* dialogWindow = qobject_cast<QWindow*>(window))
            dialogWindow->setTransientParent(parentWindow);
    }

    window->setProperty("type", TypeName(type));

    // A notice whose box only shows on the reveal key is tied to its flag like one with a
    // visible box: otherwise ticking the revealed box would do nothing at all.
    const bool tiedToFlag = settings_ && !neverShowKey_.isEmpty() && (showCheckbox || makeNeverShowSecret);
    if (tiedToFlag) {
        connect(window, SIGNAL(checkboxConfirmed()), this, SLOT(onCheckboxConfirmed()));
        if (!settings_->GetShowDialog(neverShowKey_))
            return;
    }
    if (showCheckbox)
        window->setProperty("showCheckbox", true);
    if (acknowledgeCheckbox)
        window->setProperty("acknowledgeCheckbox", true);
    window->setProperty("okCheckboxString", QString::fromStdString(okCheckboxString));
    if (largerWindow)
        window->setProperty("largerWindow", true);
    if (makeNeverShowSecret)
        window->setProperty("makeNeverShowSecret", true);

    SetVisible(true);
}

DialogController::~DialogController()
{
    settings_.reset();
}

QString DialogController::TypeName(int type)
{
    switch (type) {
    case Error:
        return QStringLiteral("error");
    case Warning:
        return QStringLiteral("warning");
    default:
        return QStringLiteral("info");
    }
}

void DialogController::onCheckboxConfirmed()
{
    if (settings_ && !neverShowKey_.isEmpty())
        settings_->SetShowDialog(neverShowKey_, false);
}

} // namespace zarn::qt
