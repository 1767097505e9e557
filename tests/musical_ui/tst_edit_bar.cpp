// The edit bar's controller on the real bar in an offscreen window, over an edit model whose
// show manager holds the fake engine with a real change-log editor.
#include "EditModel.h"
#include "ShowFakeEngine.h"
#include "ShowManager.h"
#include "TimelineEditController.h"
#include "TimelineMetaTypes.h"
#include "ViewWindow.h"
#include "QmlModuleLoader.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/Cut.h"
#include "zarn_core/NotifyNames.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <string>
#include <vector>

using zarn::qt::EditModel;
using zarn::qt::TimelineEditController;

namespace {

using Notices = std::vector<std::string>;
// Enabled states of the edit, delete, undo, redo, save and share buttons, in that order.
using States = std::vector<bool>;

const char* const stateButtons[] = {"editButton", "deleteButton", "undoButton",
                                    "redoButton", "saveButton",   "shareButton"};

} // namespace

class TestEditBar : public QObject
{
    Q_OBJECT

private:
    std::shared_ptr<ShowFakeEngine> engine_;
    std::shared_ptr<zarn::ShowManager> manager_;
    std::unique_ptr<EditModel> model_;
    std::unique_ptr<ViewWindow> window_;
    std::unique_ptr<TimelineEditController> controller_;
    // Bus traffic in order: "save=true", "upload=false", ...
    Notices notices_;

    void MakeBar(const QString& properties = {})
    {
        window_ = std::make_unique<ViewWindow>(QStringLiteral("TimeLineEditorBar"), properties, 1500, 80);
        controller_ = std::make_unique<TimelineEditController>(model_.get(), window_->view);
    }

    QQuickItem* Button(const char* name) const
    {
        auto* button = window_->view->findChild<QQuickItem*>(QString::fromLatin1(name));
        if (!button)
            qFatal("the bar has no %s", name);
        return button;
    }

    bool Enabled(const char* name) const { return Button(name)->property("enabled").toBool(); }

    States ButtonStates() const
    {
        States states;
        for (const char* name : stateButtons)
            states.push_back(Enabled(name));
        return states;
    }

    void SetAll(bool enabled)
    {
        for (const char* name : stateButtons)
            Button(name)->setProperty("enabled", enabled);
    }

    void Click(const char* name)
    {
        QQuickItem* button = Button(name);
        const QPoint centre =
            button->mapToScene(QPointF(button->width() / 2, button->height() / 2)).toPoint();
        QTest::mouseClick(window_->window.get(), Qt::LeftButton, {}, centre);
    }

    // One edit in the editor, so that it can undo.
    void Edit() { engine_->editor->AddEvent(CL::Cut(1920, 3840, "B2.1", 0)); }

private slots:
    void initTestCase() { zarn::qt::RegisterTimelineMetaTypes(); }

    void init()
    {
        QTest::failOnWarning(QRegularExpression("QObject::connect"));
        engine_ = std::make_shared<ShowFakeEngine>();
        engine_->barsBeats["1"] = TL::TimelineSequence<TL::BarsBeats>({{0, 1, "1"}, {1920, 1, "2"}});
        manager_ = std::make_shared<zarn::ShowManager>(engine_);
        model_ = std::make_unique<EditModel>(manager_, true);
        notify::callbackDispatcher.AddCallback(this, notify::names::editModelChangeLogNeedsSave, [this](void* p) {
            notices_.push_back(std::string("save=") + (*static_cast<bool*>(p) ? "true" : "false"));
        });
        notify::callbackDispatcher.AddCallback(this, notify::names::editModelChangeLogNeedsUpload, [this](void* p) {
            notices_.push_back(std::string("upload=") + (*static_cast<bool*>(p) ? "true" : "false"));
        });
        notices_.clear();
    }

    void cleanup()
    {
        notify::callbackDispatcher.RemoveCallbacksForTarget(this);
        controller_.reset();
        window_.reset();
        model_.reset();
        manager_.reset();
        engine_.reset();
    }

    void barStartsWithOnlyTheToolsEnabled()
    {
        MakeBar();
        QCOMPARE(ButtonStates(), (States{false, false, false, false, false, false}));
        for (const char* tool : {"caesuraButton", "clickButton", "cutButton", "markerButton", "repeatButton",
                                 "skipButton", "tempoScaleButton", "transposeButton", "vampButton", "oscButton"})
            QVERIFY2(Enabled(tool), tool);
    }

    void modifiedLogEnablesButtonsFromTheEditor_data()
    {
        QTest::addColumn<bool>("undoIt");
        QTest::addColumn<States>("states");
        QTest::addColumn<QList<QVariant>>("signalled");
        QTest::newRow("one edit") << false << States{false, false, true, false, true, true}
                                  << QList<QVariant>{true, false, true, true};
        QTest::newRow("edit undone") << true << States{false, false, false, true, true, true}
                                     << QList<QVariant>{false, true, true, true};
    }
    void modifiedLogEnablesButtonsFromTheEditor()
    {
        QFETCH(bool, undoIt);
        QFETCH(States, states);
        QFETCH(QList<QVariant>, signalled);
        MakeBar();
        QSignalSpy spy(controller_.get(), &TimelineEditController::UndoRedoStateUpdated);
        Edit();
        if (undoIt)
            engine_->editor->Undo();

        controller_->MarkChangeLogModified();

        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0), signalled);
        QCOMPARE(ButtonStates(), states);
        QVERIFY(model_->needsSave);
        QVERIFY(model_->needsUpload);
        QCOMPARE(notices_, (Notices{"save=true", "upload=true"}));
    }

    void savesClearTheirFlags_data()
    {
        QTest::addColumn<bool>("share");
        QTest::addColumn<bool>("shareEnabled");
        QTest::addColumn<Notices>("notices");
        QTest::newRow("local save keeps Share") << false << true << Notices{"save=false"};
        QTest::newRow("share clears both") << true << false << Notices{"save=false", "upload=false"};
    }
    void savesClearTheirFlags()
    {
        QFETCH(bool, share);
        QFETCH(bool, shareEnabled);
        QFETCH(Notices, notices);
        MakeBar();
        Edit();
        controller_->MarkChangeLogModified();
        notices_.clear();
        QSignalSpy spy(controller_.get(), &TimelineEditController::UndoRedoStateUpdated);

        if (share)
            controller_->MarkChangeLogSavedAndUploaded();
        else
            controller_->MarkChangeLogSaved();

        QCOMPARE(notices_, notices);
        QVERIFY(!model_->needsSave);
        QCOMPARE(model_->needsUpload, shareEnabled);
        QVERIFY(!Enabled("saveButton"));
        QCOMPARE(Enabled("shareButton"), shareEnabled);
        QVERIFY(Enabled("undoButton")); // the history outlives a save
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0), (QList<QVariant>{true, false, false, shareEnabled}));
    }

    void pressingSaveOrShareDisablesSaveUntilTheNextRefresh_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::newRow("save") << QByteArray("saveButton");
        QTest::newRow("share") << QByteArray("shareButton");
    }
    void pressingSaveOrShareDisablesSaveUntilTheNextRefresh()
    {
        QFETCH(QByteArray, button);
        MakeBar();
        Edit();
        controller_->MarkChangeLogModified();
        notices_.clear();
        QSignalSpy states(controller_.get(), &TimelineEditController::UndoRedoStateUpdated);
        QSignalSpy barSignal(window_->view, button == "saveButton" ? SIGNAL(saveButton()) : SIGNAL(shareButton()));

        Click(button.constData());

        QCOMPARE(barSignal.count(), 1); // the main window saves on this same signal
        QVERIFY(!Enabled("saveButton"));
        QVERIFY(Enabled("shareButton"));
        QVERIFY(model_->needsSave); // only the mark after a successful save clears it
        QCOMPARE(states.count(), 0);
        QVERIFY(notices_.empty());

        // A save that failed leaves the log unsaved: the refresh offers Save again.
        controller_->RefreshButtonStates();
        QVERIFY(Enabled("saveButton"));
        QVERIFY(Enabled("shareButton"));
        QCOMPARE(states.count(), 1);
    }

    void setSaveEnabledTouchesOnlySave()
    {
        MakeBar();
        QSignalSpy states(controller_.get(), &TimelineEditController::UndoRedoStateUpdated);
        controller_->SetSaveEnabled(true);
        QCOMPARE(ButtonStates(), (States{false, false, false, false, true, false}));
        controller_->SetSaveEnabled(false);
        QCOMPARE(ButtonStates(), (States{false, false, false, false, false, false}));
        QCOMPARE(states.count(), 0);
        QVERIFY(notices_.empty());
    }

    void editAndDeleteFollowTheSelection()
    {
        CL::Cut cut(1920, 3840, "B2.1", 0);
        model_->selectedEvent = &cut;
        MakeBar(); // construction takes the selection already
        QVERIFY(Enabled("editButton"));
        QVERIFY(Enabled("deleteButton"));

        QSignalSpy spy(controller_.get(), &TimelineEditController::EditButtonSignal);
        Click("editButton");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<cmn::ZarnEvent*>(), static_cast<cmn::ZarnEvent*>(&cut));

        model_->selectedEvent = nullptr;
        controller_->UpdateEditDeleteButtons();
        QVERIFY(!Enabled("editButton"));
        QVERIFY(!Enabled("deleteButton"));
        Click("editButton"); // a disabled button sends nothing
        QCOMPARE(spy.count(), 1);

        model_->selectedEvent = &cut;
        controller_->UpdateEditDeleteButtons();
        QVERIFY(Enabled("editButton"));
        QVERIFY(Enabled("deleteButton"));
        QCOMPARE(ButtonStates(), (States{true, true, false, false, false, false}));
    }

    void editWithoutSelectionCarriesNull()
    {
        MakeBar();
        QSignalSpy spy(controller_.get(), &TimelineEditController::EditButtonSignal);
        controller_->OnEditButton_();
        QCOMPARE(spy.count(), 1);
        QVERIFY(spy.at(0).at(0).value<cmn::ZarnEvent*>() == nullptr);
    }

    void barButtonsArePassedOn_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<int>("which"); // 0 delete, 1 undo, 2 redo
        QTest::newRow("delete") << QByteArray("deleteButton") << 0;
        QTest::newRow("undo") << QByteArray("undoButton") << 1;
        QTest::newRow("redo") << QByteArray("redoButton") << 2;
    }
    void barButtonsArePassedOn()
    {
        QFETCH(QByteArray, button);
        QFETCH(int, which);
        MakeBar();
        SetAll(true);
        QSignalSpy del(controller_.get(), &TimelineEditController::DeleteRequested);
        QSignalSpy undo(controller_.get(), &TimelineEditController::UndoRequested);
        QSignalSpy redo(controller_.get(), &TimelineEditController::RedoRequested);
        QSignalSpy edit(controller_.get(), &TimelineEditController::EditButtonSignal);

        Click(button.constData());

        QCOMPARE((QList<int>{int(del.count()), int(undo.count()), int(redo.count())}),
                 (QList<int>{which == 0, which == 1, which == 2}));
        QCOMPARE(edit.count(), 0);
        QVERIFY(Enabled("saveButton")); // only Save and Share touch Save
    }

    void withoutAnEditorNothingChanges_data()
    {
        QTest::addColumn<bool>("noShowManager");
        QTest::addColumn<bool>("allEnabled");
        QTest::newRow("no show manager, buttons on") << true << true;
        QTest::newRow("no show manager, buttons off") << true << false;
        QTest::newRow("engine without editor, buttons on") << false << true;
        QTest::newRow("engine without editor, buttons off") << false << false;
    }
    void withoutAnEditorNothingChanges()
    {
        QFETCH(bool, noShowManager);
        QFETCH(bool, allEnabled);
        MakeBar();
        Edit();
        auto editorless = std::make_shared<ShowFakeEngine>();
        editorless->editor.reset();
        if (noShowManager)
            model_->showManager.reset();
        else
            model_->showManager = std::make_shared<zarn::ShowManager>(editorless);
        SetAll(allEnabled);
        const States before = ButtonStates();
        QSignalSpy spy(controller_.get(), &TimelineEditController::UndoRedoStateUpdated);

        controller_->RefreshButtonStates();
        QCOMPARE(ButtonStates(), before);
        QCOMPARE(spy.count(), 0);
        QVERIFY(notices_.empty());

        // The flags and their notices still go out; only the buttons stay as they were.
        controller_->MarkChangeLogModified();
        controller_->MarkChangeLogSaved();
        controller_->MarkChangeLogSavedAndUploaded();
        QCOMPARE(ButtonStates(), before);
        QCOMPARE(spy.count(), 0);
        QCOMPARE(notices_, (Notices{"save=true", "upload=true", "save=false", "save=false", "upload=false"}));
    }

    void oscButtonFollowsEnableOsc_data()
    {
        QTest::addColumn<QString>("properties");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("default") << QString() << true << QStringLiteral("Create an OSC command");
        QTest::newRow("enabled") << QStringLiteral("enableOsc: true") << true << QStringLiteral("Create an OSC command");
        QTest::newRow("disabled") << QStringLiteral("enableOsc: false") << false << QStringLiteral("Unavailable in Halvard");
    }
    void oscButtonFollowsEnableOsc()
    {
        QFETCH(QString, properties);
        QFETCH(bool, enabled);
        QFETCH(QString, toolTip);
        MakeBar(properties);
        QQuickItem* osc = Button("oscButton");
        QCOMPARE(osc->property("enabled").toBool(), enabled);
        auto* tip = osc->property("toolTip").value<QObject*>();
        QVERIFY(tip);
        QCOMPARE(tip->property("text").toString(), toolTip);

        QSignalSpy spy(window_->view, SIGNAL(oscButton()));
        Click("oscButton");
        QCOMPARE(spy.count(), enabled ? 1 : 0);
    }

    void toolButtonsRaiseTheirSignals_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("signal");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        const auto row = [](const char* name, const char* button, const char* signal, const char* text,
                            const char* toolTip) {
            QTest::newRow(name) << QByteArray(button) << QByteArray(signal) << QString::fromUtf8(text)
                                << QString::fromUtf8(toolTip);
        };
        row("caesura", "caesuraButton", SIGNAL(caesuraButton()), "Caesura", "Add a pause in timeline");
        row("click", "clickButton", SIGNAL(clickButton()), "Click", "Change the click resolution of the metronome");
        row("cut", "cutButton", SIGNAL(cutButton()), "Cut", "Remove section");
        row("marker", "markerButton", SIGNAL(markerButton()), "Marker", "Add reference note");
        row("repeat", "repeatButton", SIGNAL(repeatButton()), "Repeat", "Repeat section");
        row("skip", "skipButton", SIGNAL(skipButton()), "Skip", "Jump to end of section");
        row("tempo", "tempoScaleButton", SIGNAL(tempoScaleButton()), "Tempo", "Scale the tempo by percentage");
        row("transpose", "transposeButton", SIGNAL(transposeButton()), "Transpose", "Change the key by half steps");
        row("vamp", "vampButton", SIGNAL(vampButton()), "Vamp", "Repeat section indefinitely");
        row("edit", "editButton", SIGNAL(editButton()), "Edit", "Edit the selected event");
        row("delete", "deleteButton", SIGNAL(deleteButton()), "Delete", "Delete the selected event");
        row("undo", "undoButton", SIGNAL(undoButton()), "Undo", "Undo the last change");
        row("redo", "redoButton", SIGNAL(redoButton()), "Redo", "Redo the last change");
        row("save", "saveButton", SIGNAL(saveButton()), "Save", "Save changes to local device (not shared)");
        row("share", "shareButton", SIGNAL(shareButton()), "Share", "Save and send changes to cast");
    }
    void toolButtonsRaiseTheirSignals()
    {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, signal);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        MakeBar();
        SetAll(true);
        QQuickItem* item = Button(button.constData());
        QCOMPARE(item->property("text").toString(), text);
        QCOMPARE(item->property("toolTip").value<QObject*>()->property("text").toString(), toolTip);
        QSignalSpy spy(window_->view, signal.constData());
        Click(button.constData());
        QCOMPARE(spy.count(), 1);
    }
};

QTEST_MAIN(TestEditBar)
#include "tst_edit_bar.moc"
