#include "InputDialogController.h"
#include "QmlModuleLoader.h"

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

#include <memory>
#include <optional>
#include <string>

using zarn::qt::InputDialogController;

namespace {

template <typename T = QObject>
T* Child(QObject* window, const char* name)
{
    return window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

} // namespace

class TestInputDialogController : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QQmlEngine> engine_;
    std::unique_ptr<InputDialogController> prompt_;
    std::unique_ptr<QObject> window_; // the holder deletes the window, not the controller
    std::optional<std::string> received_;

    QQuickWindow* MakePrompt(int type = 1, bool withCallback = true, bool showConfirmation = false)
    {
        std::function<void(std::string)> callback;
        if (withCallback)
            callback = [this](std::string value) { received_ = std::move(value); };
        prompt_ = std::make_unique<InputDialogController>("Name the new version.", "New Version", type, nullptr,
                                                          engine_.get(), callback, showConfirmation);
        window_.reset(prompt_->GetQmlObject());
        return qobject_cast<QQuickWindow*>(window_.get());
    }

    // The launcher's unsaved-changes prompt, set up as the launcher does.
    QQuickWindow* MakeUnsavedChangesPrompt()
    {
        prompt_ = std::make_unique<InputDialogController>(
            "You have unsaved changes.  If you quit now, they will be lost forever.", "Unsaved Changes", 1, nullptr,
            engine_.get(), nullptr, false);
        prompt_->SetConfirmationPreamble(QStringLiteral("Unsaved Changes Detected:"));
        prompt_->SetProperty(QStringLiteral("acceptButtonText"), QStringLiteral("Save and Close"));
        prompt_->SetProperty(QStringLiteral("cancelButtonText"), QStringLiteral("Close Without Saving"));
        prompt_->SetProperty(QStringLiteral("negateButtonText"), QStringLiteral("Cancel"));
        prompt_->SetProperty(QStringLiteral("showNegateButton"), true);
        prompt_->SetProperty(QStringLiteral("showInputField"), false);
        prompt_->SetProperty(QStringLiteral("visible"), true);
        window_.reset(prompt_->GetQmlObject());
        return qobject_cast<QQuickWindow*>(window_.get());
    }

    static bool Activate(QQuickWindow* window)
    {
        if (!QTest::qWaitForWindowExposed(window))
            return false;
        window->requestActivate();
        return QTest::qWaitForWindowActive(window);
    }

private slots:
    void init()
    {
        engine_ = std::make_unique<QQmlEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*engine_);
        received_.reset();
    }
    void cleanup()
    {
        window_.reset();
        prompt_.reset();
        engine_.reset();
    }

    void windowIsMadeFilledAndShown()
    {
        QQuickWindow* window = MakePrompt(1);
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->modality(), Qt::ApplicationModal);
        QCOMPARE(window->property("title").toString(), QStringLiteral("New Version"));
        QCOMPARE(window->property("text").toString(), QStringLiteral("Name the new version."));
        QCOMPARE(window->property("type").toString(), QStringLiteral("warning"));
        QCOMPARE(window->width(), 425);
        QCOMPARE(window->minimumSize(), window->size());
        QCOMPARE(window->maximumSize(), window->size());
        QCOMPARE(Child(window, "acceptButton")->property("text").toString(), QStringLiteral("OK"));
        QCOMPARE(Child(window, "cancelButton")->property("text").toString(), QStringLiteral("Cancel"));
        QVERIFY(!Child<QQuickItem>(window, "negateButton")->isVisible());
        QVERIFY(Child<QQuickItem>(window, "inputField")->isVisible());
        QCOMPARE(window->QWindow::title(), QString());
    }

    void typeChoosesIcon_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("error") << 0 << "qrc:/images/error_icon.svg" << QColor("#FF5757");
        QTest::newRow("warning") << 1 << "qrc:/images/warning_icon.svg" << QColor("#FFC400");
        QTest::newRow("information") << 2 << "qrc:/images/info_icon.svg" << QColor("#00AEEF");
        QTest::newRow("unknown number") << 7 << "qrc:/images/info_icon.svg" << QColor("#00AEEF");
    }
    void typeChoosesIcon()
    {
        QFETCH(int, type);
        QFETCH(QString, icon);
        QFETCH(QColor, colour);
        QQuickWindow* window = MakePrompt(type);
        QCOMPARE(Child(window, "icon")->property("source").toUrl(), QUrl(icon));
        QCOMPARE(Child(window, "iconOverlay")->property("color").value<QColor>(), colour);
    }

    void okEnablement_data()
    {
        QTest::addColumn<bool>("showInputField");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("showConfirmation");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("empty field") << true << "" << false << false << false;
        QTest::newRow("blank field") << true << " \t  " << false << false << false;
        QTest::newRow("text") << true << "v2" << false << false << true;
        QTest::newRow("text with spaces") << true << "  v2 " << false << false << true;
        QTest::newRow("no field") << false << "" << false << false << true;
        QTest::newRow("no field, confirmation pending") << false << "" << true << false << false;
        QTest::newRow("no field, confirmed") << false << "" << true << true << true;
        QTest::newRow("text, confirmation pending") << true << "v2" << true << false << false;
        QTest::newRow("blank, confirmed") << true << " " << true << true << false;
        QTest::newRow("text, confirmed") << true << "v2" << true << true << true;
    }
    void okEnablement()
    {
        QFETCH(bool, showInputField);
        QFETCH(QString, value);
        QFETCH(bool, showConfirmation);
        QFETCH(bool, ticked);
        QFETCH(bool, enabled);
        QQuickWindow* window = MakePrompt(2, true, showConfirmation);
        prompt_->SetProperty(QStringLiteral("showInputField"), showInputField);
        prompt_->SetProperty(QStringLiteral("value"), value);
        Child(window, "confirmationBox")->setProperty("checked", ticked);
        QCOMPARE(Child<QQuickItem>(window, "acceptButton")->isEnabled(), enabled);
        QCOMPARE(Child<QQuickItem>(window, "confirmationBox")->isVisible(), showConfirmation);

        // Return does nothing while OK is disabled, and accepts otherwise.
        QVERIFY(Activate(window));
        QSignalSpy accepted(window, SIGNAL(accepted()));
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(accepted.count(), enabled ? 1 : 0);
        QCOMPARE(window->isVisible(), !enabled);
        QCOMPARE(received_.has_value(), enabled);
        if (enabled)
            QCOMPARE(QString::fromStdString(*received_), showInputField ? value : QString());
    }

    void typedTextReachesTheCallbackUntrimmed()
    {
        QQuickWindow* window = MakePrompt();
        QVERIFY(Activate(window));
        auto* field = Child<QQuickItem>(window, "inputField")->property("field").value<QQuickItem*>();
        QVERIFY(field->hasActiveFocus());
        for (char c : std::string(" Tour 2 "))
            QTest::keyClick(window, c);
        QVERIFY(Child<QQuickItem>(window, "acceptButton")->isEnabled());
        QSignalSpy accepted(window, SIGNAL(accepted()));
        QTest::keyClick(window, Qt::Key_Enter);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(received_);
        QCOMPARE(*received_, std::string(" Tour 2 "));
    }

    void preambleShowsOnlyWithConfirmation()
    {
        QQuickWindow* window = MakePrompt(2, true, false);
        prompt_->SetConfirmationPreamble(QStringLiteral("Read <a href='x:y'>this</a> first."));
        QCOMPARE(window->property("confirmationPreamble").toString(), QStringLiteral("Read <a href='x:y'>this</a> first."));
        QVERIFY(!Child<QQuickItem>(window, "preambleText")->isVisible());

        QQuickWindow* confirming = MakePrompt(2, true, true);
        prompt_->SetConfirmationPreamble(QStringLiteral("Read this first."));
        QVERIFY(Child<QQuickItem>(confirming, "preambleText")->isVisible());
        QVERIFY(Child<QQuickItem>(confirming, "confirmationBox")->isVisible());
        prompt_->SetConfirmationPreamble(QString());
        QVERIFY(!Child<QQuickItem>(confirming, "preambleText")->isVisible());
    }

    // Escape takes the harmless answer: the negate button where one is offered (in the
    // unsaved-changes prompt that is "Cancel", which keeps the window and the edits).
    void escapeKey_data()
    {
        QTest::addColumn<bool>("unsavedChangesPrompt");
        QTest::addColumn<int>("cancelled");
        QTest::addColumn<int>("negated");
        QTest::newRow("negate button shown") << true << 0 << 1;
        QTest::newRow("no negate button") << false << 1 << 0;
    }
    void escapeKey()
    {
        QFETCH(bool, unsavedChangesPrompt);
        QFETCH(int, cancelled);
        QFETCH(int, negated);
        QQuickWindow* window = unsavedChangesPrompt ? MakeUnsavedChangesPrompt() : MakePrompt();
        QVERIFY(Activate(window));
        QSignalSpy acceptedSpy(window, SIGNAL(accepted()));
        QSignalSpy cancelledSpy(window, SIGNAL(cancelled()));
        QSignalSpy negatedSpy(window, SIGNAL(negated()));
        QTest::ignoreMessage(QtDebugMsg, "Closing");
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(acceptedSpy.count(), 0);
        QCOMPARE(cancelledSpy.count(), cancelled);
        QCOMPARE(negatedSpy.count(), negated);
        QVERIFY(!window->isVisible());
        QVERIFY(!received_);
    }

    void escapeRunsCancelEvenWhenRelabelled()
    {
        QQuickWindow* window = MakePrompt();
        prompt_->SetProperty(QStringLiteral("cancelButtonText"), QStringLiteral("Discard"));
        QVERIFY(Activate(window));
        QSignalSpy cancelledSpy(window, SIGNAL(cancelled()));
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(cancelledSpy.count(), 1);
    }

    void unsavedChangesPromptLayout()
    {
        QQuickWindow* window = MakeUnsavedChangesPrompt();
        QVERIFY(window->isVisible());
        QVERIFY(!Child<QQuickItem>(window, "inputField")->isVisible());
        QVERIFY(!Child<QQuickItem>(window, "preambleText")->isVisible());
        auto* cancel = Child<QQuickItem>(window, "cancelButton");
        auto* accept = Child<QQuickItem>(window, "acceptButton");
        auto* negate = Child<QQuickItem>(window, "negateButton");
        QVERIFY(negate->isVisible());
        QVERIFY(accept->isEnabled());
        QCOMPARE(cancel->property("text").toString(), QStringLiteral("Close Without Saving"));
        QCOMPARE(accept->property("text").toString(), QStringLiteral("Save and Close"));
        QCOMPARE(negate->property("text").toString(), QStringLiteral("Cancel"));
        // Left to right: cancel, accept, negate (the row lays out when the window is drawn).
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTRY_VERIFY(negate->mapToScene(QPointF()).x() > 0);
        const qreal cancelX = cancel->mapToScene(QPointF()).x();
        const qreal acceptX = accept->mapToScene(QPointF()).x();
        const qreal negateX = negate->mapToScene(QPointF()).x();
        QVERIFY(cancelX < acceptX);
        QVERIFY(acceptX < negateX);
        QVERIFY(negateX + negate->width() <= window->width());

        // Return presses the accept button even without a text field.
        QVERIFY(Activate(window));
        QSignalSpy acceptedSpy(window, SIGNAL(accepted()));
        QTest::keyClick(window, Qt::Key_Return);
        QCOMPARE(acceptedSpy.count(), 1);
    }

    void buttonsEmitTheirSignal_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("signal");
        QTest::newRow("accept") << "acceptButton" << SIGNAL(accepted());
        QTest::newRow("cancel") << "cancelButton" << SIGNAL(cancelled());
        QTest::newRow("negate") << "negateButton" << SIGNAL(negated());
    }
    void buttonsEmitTheirSignal()
    {
        QFETCH(QString, button);
        QFETCH(QString, signal);
        QQuickWindow* window = MakeUnsavedChangesPrompt();
        QSignalSpy acceptedSpy(window, SIGNAL(accepted()));
        QSignalSpy cancelledSpy(window, SIGNAL(cancelled()));
        QSignalSpy negatedSpy(window, SIGNAL(negated()));
        QTest::ignoreMessage(QtDebugMsg, "Closing");
        QMetaObject::invokeMethod(window->findChild<QObject*>(button), "clicked");
        QVERIFY(!window->isVisible());
        QCOMPARE(acceptedSpy.count(), signal == SIGNAL(accepted()) ? 1 : 0);
        QCOMPARE(cancelledSpy.count(), signal == SIGNAL(cancelled()) ? 1 : 0);
        QCOMPARE(negatedSpy.count(), signal == SIGNAL(negated()) ? 1 : 0);
    }

    // Closing by the title bar answers like "Cancel" of the unsaved-changes prompt.
    void titleBarCloseNegates()
    {
        QQuickWindow* window = MakePrompt();
        prompt_->SetProperty(QStringLiteral("value"), QStringLiteral("typed"));
        QSignalSpy acceptedSpy(window, SIGNAL(accepted()));
        QSignalSpy cancelledSpy(window, SIGNAL(cancelled()));
        QSignalSpy negatedSpy(window, SIGNAL(negated()));
        QTest::ignoreMessage(QtDebugMsg, "Closing");
        window->close();
        QVERIFY(!window->isVisible());
        QCOMPARE(acceptedSpy.count(), 0);
        QCOMPARE(cancelledSpy.count(), 0);
        QCOMPARE(negatedSpy.count(), 1);
        QVERIFY(!received_);
    }

    void withoutCallbackOkStillCloses()
    {
        QQuickWindow* window = MakePrompt(2, false);
        prompt_->SetProperty(QStringLiteral("value"), QStringLiteral("x"));
        QSignalSpy acceptedSpy(window, SIGNAL(accepted()));
        QMetaObject::invokeMethod(Child(window, "acceptButton"), "clicked");
        QCOMPARE(acceptedSpy.count(), 1);
        QVERIFY(!window->isVisible());
        QVERIFY(!received_);
    }

    // The holder may delete the window first; the controller must not touch it then.
    void controllerSurvivesItsWindow()
    {
        MakePrompt();
        window_.reset();
        QVERIFY(prompt_->GetQmlObject() == nullptr);
        prompt_->SetProperty(QStringLiteral("visible"), false);
        prompt_->accepted();
        QVERIFY(!received_);
    }

    void destroyingTheControllerLeavesTheWindow()
    {
        QQuickWindow* window = MakePrompt();
        QPointer<QObject> guard = window;
        prompt_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard);
        QVERIFY(window->isVisible());
    }
};

QTEST_MAIN(TestInputDialogController)
#include "tst_input_dialog_controller.moc"
