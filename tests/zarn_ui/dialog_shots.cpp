// Renders the message, prompt, about and acknowledgements windows to PNG files so that
// they can be looked at. Run under a GL display: xvfb-run -a ./zarn_ui_dialog_shots <folder>
#include "AboutWindowController.h"
#include "AcknowledgementsWindowController.h"
#include "DialogController.h"
#include "InputDialogController.h"
#include "QmlModuleLoader.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QTimer>

#include <iostream>
#include <memory>

namespace {

void Settle(int ms = 400)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Save(QObject* object, const QString& folder, const QString& name)
{
    auto* window = qobject_cast<QQuickWindow*>(object);
    if (!window) {
        std::cerr << "no window for " << name.toStdString() << "\n";
        return false;
    }
    window->show();
    Settle();
    const QImage image = window->grabWindow();
    const QString path = QDir(folder).filePath(name + QStringLiteral(".png"));
    if (image.isNull() || !image.save(path)) {
        std::cerr << "could not save " << path.toStdString() << "\n";
        return false;
    }
    std::cout << path.toStdString() << " " << image.width() << "x" << image.height() << "\n";
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(folder);

    QQmlEngine engine;
    zarn::qt::QmlModuleLoader::PrepareEngine(engine);
    bool ok = true;

    {
        zarn::qt::DialogController dialog("The change log could not be saved: the disk is full.", "Error Saving",
                                          zarn::qt::DialogController::Error, nullptr, &engine);
        ok &= Save(dialog.GetQmlObject(), folder, QStringLiteral("error_dialog"));
    }
    {
        zarn::qt::DialogController dialog(
            "This edition is licensed for performances. Please confirm that the performance rights for this "
            "production have been secured before the first performance.",
            "Performance Notice", zarn::qt::DialogController::Information, nullptr, &engine, nullptr, false,
            "ShowRehearsalNotice", true, true, true, "I confirm that the rights are secured");
        ok &= Save(dialog.GetQmlObject(), folder, QStringLiteral("performance_notice_before"));
        dialog.GetQmlObject()->findChild<QObject*>(QStringLiteral("acknowledgeBox"))->setProperty("checked", true);
        ok &= Save(dialog.GetQmlObject(), folder, QStringLiteral("performance_notice_after"));
        dialog.GetQmlObject()->setProperty("toggleNeverShowHeld", true);
        ok &= Save(dialog.GetQmlObject(), folder, QStringLiteral("performance_notice_revealed"));
    }
    {
        zarn::qt::DialogController dialog("The click tool changes the click of the selected bars.", "Click Tool",
                                          zarn::qt::DialogController::Warning, nullptr, &engine, nullptr, true,
                                          "ClickToolNotification", false, false, false, "Acknowledge");
        ok &= Save(dialog.GetQmlObject(), folder, QStringLiteral("warning_with_never_show"));
    }
    std::unique_ptr<QObject> promptWindow;
    {
        zarn::qt::InputDialogController prompt(
            "You have unsaved changes.  If you quit now, they will be lost forever.", "Unsaved Changes", 1, nullptr,
            &engine, nullptr, false);
        prompt.SetConfirmationPreamble(QStringLiteral("Unsaved Changes Detected:"));
        prompt.SetProperty(QStringLiteral("acceptButtonText"), QStringLiteral("Save and Close"));
        prompt.SetProperty(QStringLiteral("cancelButtonText"), QStringLiteral("Close Without Saving"));
        prompt.SetProperty(QStringLiteral("negateButtonText"), QStringLiteral("Cancel"));
        prompt.SetProperty(QStringLiteral("showNegateButton"), true);
        prompt.SetProperty(QStringLiteral("showInputField"), false);
        prompt.SetProperty(QStringLiteral("visible"), true);
        promptWindow.reset(prompt.GetQmlObject());
        ok &= Save(prompt.GetQmlObject(), folder, QStringLiteral("unsaved_changes_prompt"));
    }
    std::unique_ptr<QObject> inputWindow;
    {
        zarn::qt::InputDialogController prompt("Name the new version of the change log.", "New Version", 2, nullptr,
                                               &engine, [](std::string) {}, true);
        prompt.SetProperty(QStringLiteral("value"), QStringLiteral("Tour 2"));
        inputWindow.reset(prompt.GetQmlObject());
        ok &= Save(prompt.GetQmlObject(), folder, QStringLiteral("input_prompt_with_confirmation"));
    }
    {
        QQmlComponent component(&engine);
        component.setData(R"(
import QtQuick
import com.lanternhillstudios.zarn_ui
Window {
    width: 900
    height: 650
    color: "#303030"
    property alias aboutWindow: about
    AboutWindow { id: about }
}
)",
                          QUrl());
        std::unique_ptr<QObject> mainWindow(component.create());
        if (!mainWindow) {
            std::cerr << component.errorString().toStdString();
            return 1;
        }
        auto* aboutItem = mainWindow->property("aboutWindow").value<QObject*>();
        zarn::qt::AboutWindowController about(
            aboutItem, &engine, QStringLiteral("1.0.0"), QStringLiteral("qrc:/images/corvane_logo_light_long.png"),
            QStringLiteral(":/qt/qml/com/lanternhillstudios/corvane2_ui/resources/text/acknowledgements.txt"),
            QStringLiteral("demo build"));
        qobject_cast<QWindow*>(mainWindow.get())->show();
        QMetaObject::invokeMethod(aboutItem, "open");
        ok &= Save(mainWindow.get(), folder, QStringLiteral("about_popup"));
        about.AcknowledgementsClicked();
        ok &= Save(about.GetAcknowledgementsWindow()->GetQmlObject(), folder, QStringLiteral("acknowledgements"));
    }
    {
        QQuickView view;
        zarn::qt::QmlModuleLoader::PrepareEngine(*view.engine());
        view.setSource(QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/zarn_ui/qml/MessageBox.qml")));
        view.rootObject()->setProperty("text", QStringLiteral("We have detected and automatically fixed some unusual "
                                                              "change log edits.\n\nVamp V12.1: loop end moved."));
        ok &= Save(&view, folder, QStringLiteral("message_box"));
    }
    return ok ? 0 : 1;
}
