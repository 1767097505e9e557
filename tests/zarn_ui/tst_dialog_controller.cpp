#include "AppSettings.h"
#include "DialogController.h"
#include "QmlModuleLoader.h"

#include <QDesktopServices>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using zarn::qt::DialogController;

namespace {

QQuickWindow* WindowOf(const DialogController& dialog)
{
    return qobject_cast<QQuickWindow*>(dialog.GetQmlObject());
}

template <typename T = QObject>
T* Child(QObject* window, const char* name)
{
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

} // namespace

// Stands in for the system's URL handler.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestDialogController : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QQmlEngine> engine_;
    std::unique_ptr<QTemporaryDir> dir_;

    QString SettingsPath() const { return dir_->filePath(QStringLiteral("settings.ini")); }

    std::shared_ptr<zarn::AppSettings> MakeSettings() const
    {
        return std::make_shared<zarn::AppSettings>(
            std::make_unique<QSettings>(SettingsPath(), QSettings::IniFormat));
    }

    // What a later run would read back from the file.
    QVariant StoredFlag(const QString& key) const
    {
        QSettings file(SettingsPath(), QSettings::IniFormat);
        return file.value(QStringLiteral("Dialogs/") + key);
    }

    std::unique_ptr<DialogController> MakeNotice(std::shared_ptr<zarn::AppSettings> settings, bool showCheckbox,
                                                 bool secret = false, bool acknowledge = false)
    {
        return std::make_unique<DialogController>("Read this.", "Notice", DialogController::Information, nullptr,
                                                  engine_.get(), std::move(settings), showCheckbox, "ClickToolNotification",
                                                  secret, false, acknowledge, "I have read this");
    }

private slots:
    void init()
    {
        engine_ = std::make_unique<QQmlEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*engine_);
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }
    void cleanup()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        engine_.reset();
        dir_.reset();
    }

    void shortFormShowsTextsAndDefaults()
    {
        DialogController dialog("Something broke.", "Error Saving", DialogController::Error, nullptr, engine_.get());
        QQuickWindow* window = WindowOf(dialog);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->property("title").toString(), QStringLiteral("Error Saving"));
        QCOMPARE(window->property("text").toString(), QStringLiteral("Something broke."));
        QCOMPARE(Child(window, "titleText")->property("text").toString(), QStringLiteral("Error Saving"));
        QCOMPARE(window->property("okCheckboxString").toString(), QStringLiteral("Acknowledge"));
        QCOMPARE(window->modality(), Qt::ApplicationModal);
        QVERIFY(!Child<QQuickItem>(window, "neverShowBox")->isVisible());
        QVERIFY(!Child<QQuickItem>(window, "acknowledgeBox")->isVisible());
        QVERIFY(Child<QQuickItem>(window, "okButton")->isEnabled());
        // The heading is in the window, not on its frame.
        QCOMPARE(window->QWindow::title(), QString());
    }

    void typeChoosesIconAndColour_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("typeName");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("error") << 0 << "error" << "qrc:/images/error_icon.svg" << QColor("#FF5757");
        QTest::newRow("warning") << 1 << "warning" << "qrc:/images/warning_icon.svg" << QColor("#FFC400");
        QTest::newRow("information") << 2 << "info" << "qrc:/images/info_icon.svg" << QColor("#00AEEF");
        QTest::newRow("unknown number") << 5 << "info" << "qrc:/images/info_icon.svg" << QColor("#00AEEF");
        QTest::newRow("negative number") << -1 << "info" << "qrc:/images/info_icon.svg" << QColor("#00AEEF");
    }
    void typeChoosesIconAndColour()
    {
        QFETCH(int, type);
        QFETCH(QString, typeName);
        QFETCH(QString, icon);
        QFETCH(QColor, colour);
        DialogController dialog("text", "title", type, nullptr, engine_.get());
        QObject* window = dialog.GetQmlObject();
        QCOMPARE(window->property("type").toString(), typeName);
        QCOMPARE(Child(window, "icon")->property("source").toUrl(), QUrl(icon));
        QCOMPARE(Child(window, "iconOverlay")->property("color").value<QColor>(), colour);
        QCOMPARE(Child(window, "icon")->property("status").toInt(), 1); // Image.Ready: the resource exists
    }

    // Screens declare the window in QML with the type in any case.
    void declaredTypeIgnoresCase_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("error") << "error" << "qrc:/images/error_icon.svg" << QColor("#FF5757");
        QTest::newRow("Error") << "Error" << "qrc:/images/error_icon.svg" << QColor("#FF5757");
        QTest::newRow("WARNING") << "WARNING" << "qrc:/images/warning_icon.svg" << QColor("#FFC400");
        QTest::newRow("default") << "" << "qrc:/images/info_icon.svg" << QColor("#00AEEF");
        QTest::newRow("other") << "question" << "" << QColor("silver");
    }
    void declaredTypeIgnoresCase()
    {
        QFETCH(QString, type);
        QFETCH(QString, icon);
        QFETCH(QColor, colour);
        QQmlComponent component(engine_.get());
        const QString typeLine = type.isEmpty() ? QString() : QStringLiteral("type: \"%1\"").arg(type);
        component.setData(QStringLiteral("import com.lanternhillstudios.zarn_ui\nFlatDialogWindow { %1 }\n")
                              .arg(typeLine)
                              .toUtf8(),
                          QUrl());
        std::unique_ptr<QObject> window(component.create());
        QVERIFY2(window, qPrintable(component.errorString()));
        QCOMPARE(Child(window.get(), "icon")->property("source").toUrl(), QUrl(icon));
        QCOMPARE(Child(window.get(), "iconOverlay")->property("color").value<QColor>(), colour);
        QVERIFY(!qobject_cast<QWindow*>(window.get())->isVisible());
    }

    void widthIsFixedAndHeightFollowsContent()
    {
        DialogController small("Short.", "t", 2, nullptr, engine_.get());
        QQuickWindow* window = WindowOf(small);
        QCOMPARE(window->width(), 325);
        QCOMPARE(window->minimumSize(), window->size());
        QCOMPARE(window->maximumSize(), window->size());

        DialogController large("Short.", "t", 2, nullptr, engine_.get(), nullptr, false, "", false, true, false,
                               "Acknowledge");
        QCOMPARE(WindowOf(large)->width(), 500);

        const std::string longText(2000, 'w');
        std::string words;
        for (int i = 0; i < 200; ++i)
            words += "several words ";
        DialogController tall(words, "t", 2, nullptr, engine_.get());
        QCOMPARE(WindowOf(tall)->width(), 325);
        QVERIFY(WindowOf(tall)->height() > window->height() + 100);
        QCOMPARE(WindowOf(tall)->maximumSize(), WindowOf(tall)->size());
    }

    void flagOffHidesTheDialog_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("visible");
        QTest::newRow("no entry") << QVariant() << true;
        QTest::newRow("on") << QVariant(QStringList{QStringLiteral("true")}) << true;
        QTest::newRow("off") << QVariant(QStringList{QStringLiteral("false")}) << false;
    }
    void flagOffHidesTheDialog()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, visible);
        if (stored.isValid()) {
            QSettings file(SettingsPath(), QSettings::IniFormat);
            file.setValue(QStringLiteral("Dialogs/ClickToolNotification"), stored);
        }
        auto dialog = MakeNotice(MakeSettings(), true);
        QVERIFY(WindowOf(*dialog));
        QCOMPARE(WindowOf(*dialog)->isVisible(), visible);
        QCOMPARE(Child<QQuickItem>(WindowOf(*dialog), "neverShowBox")->isVisible(), visible);
    }

    // The flag belongs to the key: other dialogs are not touched.
    void okWithTickedBoxTurnsTheKeyOff()
    {
        {
            auto settings = MakeSettings();
            auto dialog = MakeNotice(settings, true);
            QQuickWindow* window = WindowOf(*dialog);
            QSignalSpy accepted(window, SIGNAL(accepted()));
            Child(window, "neverShowBox")->setProperty("checked", true);
            QMetaObject::invokeMethod(Child(window, "okButton"), "clicked");
            QCOMPARE(accepted.count(), 1);
            QVERIFY(!window->isVisible());
            QVERIFY(!settings->GetShowDialog(QStringLiteral("ClickToolNotification")));
            QVERIFY(settings->GetShowDialog(QStringLiteral("ShowRehearsalNotice")));
        }
        QCOMPARE(StoredFlag(QStringLiteral("ClickToolNotification")).toStringList(), QStringList{QStringLiteral("false")});

        // The next run never shows it.
        auto again = MakeNotice(MakeSettings(), true);
        QVERIFY(!WindowOf(*again)->isVisible());
    }

    void okWithoutTickStoresNothing()
    {
        {
            auto settings = MakeSettings();
            auto dialog = MakeNotice(settings, true);
            QMetaObject::invokeMethod(Child(WindowOf(*dialog), "okButton"), "clicked");
            QVERIFY(!WindowOf(*dialog)->isVisible());
        }
        QVERIFY(!StoredFlag(QStringLiteral("ClickToolNotification")).isValid());
    }

    // The title bar's close button hides the window without recording a tick.
    void closingByTheFrameRecordsNothing()
    {
        {
            auto settings = MakeSettings();
            auto dialog = MakeNotice(settings, true);
            QQuickWindow* window = WindowOf(*dialog);
            QSignalSpy accepted(window, SIGNAL(accepted()));
            Child(window, "neverShowBox")->setProperty("checked", true);
            window->close();
            QVERIFY(!window->isVisible());
            QCOMPARE(accepted.count(), 0);
        }
        QVERIFY(!StoredFlag(QStringLiteral("ClickToolNotification")).isValid());
    }

    // A dialog without the box is neither tied to nor stopped by a flag.
    void dialogWithoutBoxIgnoresTheFlag()
    {
        {
            QSettings file(SettingsPath(), QSettings::IniFormat);
            file.setValue(QStringLiteral("Dialogs/ClickToolNotification"), QStringList{QStringLiteral("false")});
        }
        auto dialog = MakeNotice(MakeSettings(), false);
        QVERIFY(WindowOf(*dialog)->isVisible());
    }

    void acknowledgementGatesOk()
    {
        auto dialog = MakeNotice(nullptr, false, false, true);
        QQuickWindow* window = WindowOf(*dialog);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto* box = Child<QQuickItem>(window, "acknowledgeBox");
        auto* ok = Child<QQuickItem>(window, "okButton");
        QVERIFY(box->isVisible());
        QCOMPARE(box->property("checkboxTextStr").toString(), QStringLiteral("I have read this"));
        QVERIFY(!ok->isEnabled());

        QSignalSpy accepted(window, SIGNAL(accepted()));
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(window, key);
        QCOMPARE(accepted.count(), 0);
        QVERIFY(window->isVisible());

        box->setProperty("checked", true);
        QVERIFY(ok->isEnabled());
        box->setProperty("checked", false);
        QVERIFY(!ok->isEnabled());
        box->setProperty("checked", true);
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!window->isVisible());
    }

    void keysRunOk_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("enter") << int(Qt::Key_Enter);
    }
    void keysRunOk()
    {
        QFETCH(int, key);
        DialogController dialog("text", "title", 0, nullptr, engine_.get());
        QQuickWindow* window = WindowOf(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QSignalSpy accepted(window, SIGNAL(accepted()));
        QTest::keyClick(window, Qt::Key(key));
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!window->isVisible());
    }

    // The start-up performance notice: its box only shows while the reveal key is held,
    // and a tick made meanwhile is recorded and honoured like a visible box's.
    void secretBoxShowsWhileRevealKeyIsHeld()
    {
        auto settings = MakeSettings();
        auto dialog = std::make_unique<DialogController>(
            "Performance notice.", "Notice", 2, nullptr, engine_.get(), settings, false, "ShowRehearsalNotice", true,
            true, true, "I accept");
        QQuickWindow* window = WindowOf(*dialog);
        QVERIFY(window->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto* box = Child<QQuickItem>(window, "neverShowBox");
        QVERIFY(!box->isVisible());
        const int heightBefore = window->height();

        QTest::keyPress(window, Qt::Key_Control);
        QVERIFY(box->isVisible());
        QTRY_VERIFY(window->height() > heightBefore);
        box->setProperty("checked", true);
        QTest::keyRelease(window, Qt::Key_Control);
        QVERIFY(!box->isVisible());
        QTRY_COMPARE(window->height(), heightBefore);
        QVERIFY(box->property("checked").toBool());

        // A key pressed with the modifier down reveals too; releasing it with the modifier
        // still down keeps the box.
        QKeyEvent pressA(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(window, &pressA);
        QVERIFY(box->isVisible());
        QKeyEvent releaseA(QEvent::KeyRelease, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(window, &releaseA);
        QVERIFY(box->isVisible());
        QKeyEvent releaseControl(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
        QCoreApplication::sendEvent(window, &releaseControl);
        QVERIFY(!box->isVisible());

        Child(window, "acknowledgeBox")->setProperty("checked", true);
        QTest::keyClick(window, Qt::Key_Return);
        QVERIFY(!window->isVisible());
        QVERIFY(!settings->GetShowDialog(QStringLiteral("ShowRehearsalNotice")));

        auto again = std::make_unique<DialogController>("Performance notice.", "Notice", 2, nullptr, engine_.get(),
                                                        settings, false, "ShowRehearsalNotice", true, true, true,
                                                        "I accept");
        QVERIFY(!WindowOf(*again)->isVisible());
    }

    void linkOpensWithTheSystemHandlerAndKeepsTheDialog()
    {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("corvanetest"), &recorder, "open");
        DialogController dialog("<a href=\"corvanetest:help\">Read the guide</a> before you go on.", "Notice", 2, nullptr,
                                engine_.get());
        QQuickWindow* window = WindowOf(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto* message = Child<QQuickItem>(window, "messageText");
        QTRY_VERIFY(message->height() > 0);
        const QPoint onLink = message->mapToScene(QPointF(10, message->height() / 2)).toPoint();
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, onLink);
        QDesktopServices::unsetUrlHandler(QStringLiteral("corvanetest"));
        QCOMPARE(recorder.opened, QList<QUrl>{QUrl(QStringLiteral("corvanetest:help"))});
        QVERIFY(window->isVisible());
    }

    void destroyingTheControllerDeletesTheWindow()
    {
        auto dialog = std::make_unique<DialogController>("text", "title", 0, nullptr, engine_.get());
        QPointer<QObject> window = dialog->GetQmlObject();
        QVERIFY(window);
        dialog.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
    }

    void parentWindowOwnsTheDialog()
    {
        QQuickWindow mainWindow;
        DialogController dialog("text", "title", 0, &mainWindow, engine_.get());
        QQuickWindow* window = WindowOf(dialog);
        QCOMPARE(window->QObject::parent(), static_cast<QObject*>(&mainWindow));
        QCOMPARE(window->transientParent(), static_cast<QWindow*>(&mainWindow));
        QVERIFY(window->isTopLevel());
    }
};

QTEST_MAIN(TestDialogController)
#include "tst_dialog_controller.moc"
