// The main menu on the real main window: its entries and their shortcuts as Linux reads them,
// the keys and entries reaching the engine, the edit controller and the relays, enablement
// from the edit controller, the edition's switches, the jump prompt keeping its keys, Quit and
// the about popup.

#include "AboutWindowController.h"
#include "AcknowledgementsWindowController.h"
#include "EditController.h"
#include "AudioManagerController.h"
#include "MainWindowFixture.h"
#include "ResponsiveMenuController.h"
#include "TimelineController.h"
#include "zarn_core/Marker.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QMetaMethod>
#include <QQuickItem>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <filesystem>
#include <map>
#include <memory>

using zarn::qt::ResponsiveMenuController;

namespace {

using Calls = std::vector<std::string>;

Calls CallsSince(const TransportFakeEngine::Log& log, std::size_t from)
{
    const Calls all = log.Calls();
    return Calls(all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end());
}

QQuickItem* ItemAt(QObject* menu, int index)
{
    QQuickItem* item = nullptr;
    QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem*, item), Q_ARG(int, index));
    return item;
}

// One entry of the menu as the operator sees it.
struct Entry
{
    QString menu;
    QString text;
    QString shownShortcut;
    bool enabled = true;
    bool operator==(const Entry&) const = default;
};

char* EntryText(const Entry& e)
{
    return qstrdup(qPrintable(QStringLiteral("%1 | %2 | %3 | %4")
                                  .arg(e.menu, e.text, e.shownShortcut, e.enabled ? "on" : "off")));
}

} // namespace

namespace QTest {
template <>
char* toString(const std::vector<Entry>& entries)
{
    QStringList lines;
    for (const Entry& e : entries) {
        char* text = EntryText(e);
        lines << QString::fromUtf8(text);
        delete[] text;
    }
    return qstrdup(qPrintable(QLatin1Char('\n') + lines.join(QLatin1Char('\n'))));
}
} // namespace QTest

// Every signal a command can end in: the menu controller's relays, the menu's own keys that
// nothing connects, the window's relays of the entries it handles, and the controller's
// close request. A command must fire exactly one of them, once.
class CommandSpies
{
public:
    CommandSpies(ResponsiveMenuController* menuController, QObject* menuItem, QObject* window,
                 zarn::qt::MusicalMainController* controller)
    {
        const QMetaObject& meta = ResponsiveMenuController::staticMetaObject;
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            if (meta.method(i).methodType() == QMetaMethod::Signal)
                Add(menuController, meta.method(i).methodSignature());
        }
        for (const char* name : {"selectionStartToCenter()", "selectionEndToCenter()", "extendSelectionToStart()",
                                 "extendSelectionToEnd()"})
            Add(menuItem, name);
        for (const char* name : {"changelogManagerOpened()", "getLatestLogClicked()", "outputPathsOpened()"})
            Add(window, name);
        Add(controller, "Closing()");
    }

    // The signatures that fired, with their counts.
    QStringList Fired() const
    {
        QStringList fired;
        for (const auto& [name, spy] : spies_) {
            if (spy->count() > 0)
                fired << QStringLiteral("%1 x%2").arg(QString::fromLatin1(name)).arg(spy->count());
        }
        return fired;
    }

private:
    void Add(QObject* sender, const QByteArray& signature)
    {
        QVERIFY2(!spies_.count(signature), signature.constData());
        spies_[signature] = std::make_unique<QSignalSpy>(sender, ("2" + signature).constData());
        QVERIFY2(spies_[signature]->isValid(), signature.constData());
    }

    std::map<QByteArray, std::unique_ptr<QSignalSpy>> spies_;
};

class TestMainMenu : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void entriesAndTheirShortcutsAsShown();
    void everyShortcutIsOneValidKeyOnLinux();
    void convertShortCutForPlatform_data();
    void convertShortCutForPlatform();
    void keysRunOneCommandEach_data();
    void keysRunOneCommandEach();
    void entriesWithoutKeysRunTheirCommand_data();
    void entriesWithoutKeysRunTheirCommand();
    void enablementFollowsTheEditController_data();
    void enablementFollowsTheEditController();
    void aRealEditEnablesUndoAndSaveAndTheKeysUndoIt();
    void aNewShowLoadReconnectsTheMenu();
    void editionSwitches_data();
    void editionSwitches();
    void typingInTheJumpFieldRunsNoCommand();
    void quitAsksTheLauncherAndKeepsTheWindow();
    void iconOpensTheMenuBelowIt();
    void aboutOpensThePopupAndOneAcknowledgementsWindow_data();
    void aboutOpensThePopupAndOneAcknowledgementsWindow();

private:
    QObject* Menu() const { return f->Window()->property("menu").value<QObject*>(); }
    QObject* Action(const char* name) const { return Menu()->findChild<QObject*>(QLatin1String(name)); }
    QWindow* Window() const { return qobject_cast<QWindow*>(f->Window()); }
    double ViewScale() const { return f->ChildProperty("timelineControl", "viewScale").toDouble(); }
    void Activate();
    void Press(const QKeySequence& keys) { QTest::keySequence(Window(), keys); }
    // Undo, redo, save and share all available, as the edit bar would say.
    void EnableEditing() { emit f->controller->GetEditController()->UpdateUndoRedoState(true, true, true, true); }
    std::vector<Entry> Entries() const;
    std::unique_ptr<CommandSpies> Spies() const
    {
        return std::make_unique<CommandSpies>(f->controller->GetMenuController(), Menu(), f->Window(),
                                              f->controller.get());
    }

    std::unique_ptr<MainWindowFixture> f;
};

void TestMainMenu::init()
{
    // Every connection by signature must find both ends.
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    f = std::make_unique<MainWindowFixture>();
}

void TestMainMenu::cleanup()
{
    f.reset();
}

void TestMainMenu::Activate()
{
    QWindow* window = Window();
    QVERIFY(window);
    window->requestActivate();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

std::vector<Entry> TestMainMenu::Entries() const
{
    std::vector<Entry> entries;
    QObject* top = Menu()->property("popupMenu").value<QObject*>();
    for (int i = 0; i < top->property("count").toInt(); ++i) {
        QObject* sub = ItemAt(top, i)->property("subMenu").value<QObject*>();
        if (!sub)
            continue;
        const QString title = sub->property("title").toString();
        for (int j = 0; j < sub->property("count").toInt(); ++j) {
            QQuickItem* item = ItemAt(sub, j);
            if (!item->property("action").value<QObject*>())
                continue; // a separator
            entries.push_back({title, item->property("text").toString(), item->property("shortcutText").toString(),
                               item->isEnabled()});
        }
    }
    return entries;
}

// The menu as this edition shows it on Linux before any edit: Ctrl for the command
// key, the space bar and the arrow spelt out.
void TestMainMenu::entriesAndTheirShortcutsAsShown()
{
    f->UseFakeEngine();
    f->Create();
    const std::vector<Entry> expected{
        {"File", "Download Latest Log", "", true},
        {"File", "View Past Logs...", "", true},
        {"File", "Save Edits", "Ctrl+S", false},
        {"File", "Share Edits", "", false},
        {"File", "Quit Corvane", "Ctrl+Q", true},
        {"Edit", "Undo", "Ctrl+Z", false},
        {"Edit", "Redo", "Ctrl+Shift+Z", false},
        {"Edit", "Delete", "Backspace", true},
        {"Edit", "Select All", "Ctrl+A", true},
        {"Player", "Play/Pause", "Space", true},
        {"Player", "Stop", "Shift+Space", true},
        {"Player", "Advance", "Right Arrow", true},
        {"Player", "Jump to Bar...", "Ctrl+B", true},
        {"Player", "Previous Marker", ",", true},
        {"Player", "Next Marker", ".", true},
        {"Player", "Previous Bar", "Shift+,", true},
        {"Player", "Next Bar", "Shift+.", true},
        {"View", "Zoom In Timeline", "=", true},
        {"View", "Zoom Out Timeline", "-", true},
        {"Tools", "Audio Manager...", "Shift+Ctrl+G", true},
        {"Tools", "MIDI Manager...", "Shift+Ctrl+M", true},
        {"Tools", "OSC Manager...", "Shift+Ctrl+O", true},
        {"Help", "About Corvane...", "", true},
        {"Help", "ZARN Support Center...", "", true},
    };
    QCOMPARE(Entries(), expected);
    QCOMPARE(Menu()->property("supportUrl").toString(), QStringLiteral("https://lanternhillstudios.example/support"));
}

void TestMainMenu::everyShortcutIsOneValidKeyOnLinux()
{
    f->UseFakeEngine();
    f->Create();
    // The entries' shortcuts and the menu's own keys, each with the key Linux must read.
    const std::map<QString, QKeySequence> expected{
        {"saveAction", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"quitAction", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"undoAction", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"redoAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {"deleteAction", QKeySequence(Qt::Key_Backspace)},
        {"selectAllAction", QKeySequence(Qt::CTRL | Qt::Key_A)},
        {"playPauseAction", QKeySequence(Qt::Key_Space)},
        {"stopAction", QKeySequence(Qt::SHIFT | Qt::Key_Space)},
        {"advanceAction", QKeySequence(Qt::Key_Right)},
        {"jumpToBarAction", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {"previousMarkerAction", QKeySequence(Qt::Key_Comma)},
        {"nextMarkerAction", QKeySequence(Qt::Key_Period)},
        {"previousBarAction", QKeySequence(Qt::SHIFT | Qt::Key_Comma)},
        {"nextBarAction", QKeySequence(Qt::SHIFT | Qt::Key_Period)},
        {"zoomInAction", QKeySequence(Qt::Key_Equal)},
        {"zoomOutAction", QKeySequence(Qt::Key_Minus)},
        {"audioManagerAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G)},
        {"midiManagerAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M)},
        {"oscManagerAction", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {"Shortcut Delete", QKeySequence(Qt::Key_Delete)},
        {"Shortcut q", QKeySequence(Qt::Key_Q)},
        {"Shortcut w", QKeySequence(Qt::Key_W)},
        {"Shortcut [", QKeySequence(Qt::Key_BracketLeft)},
        {"Shortcut ]", QKeySequence(Qt::Key_BracketRight)},
    };

    std::map<QString, QKeySequence> found;
    const auto read = [&](const QString& name, const QString& text) {
        const QKeySequence keys = QKeySequence::fromString(text, QKeySequence::PortableText);
        QVERIFY2(keys.count() == 1, qPrintable(name + QStringLiteral(": \"") + text + QLatin1Char('"')));
        QVERIFY2(keys[0].key() != Qt::Key_unknown, qPrintable(name + QStringLiteral(": \"") + text + QLatin1Char('"')));
        found[name] = keys;
    };
    for (QObject* object : Menu()->findChildren<QObject*>()) {
        const QString name = object->objectName();
        if (name.endsWith(QStringLiteral("Action"))) {
            const QString text = object->property("shortcut").toString();
            if (!text.isEmpty())
                read(name, text);
        } else if (object->metaObject()->indexOfProperty("sequence") >= 0
                   && object->metaObject()->indexOfSignal("activated()") >= 0) {
            const QString text = object->property("sequence").toString();
            read(QStringLiteral("Shortcut ") + text, text);
        }
    }
    const auto lines = [](const std::map<QString, QKeySequence>& shortcuts) {
        QStringList text;
        for (const auto& [name, keys] : shortcuts)
            text << name + QStringLiteral(": ") + keys.toString(QKeySequence::PortableText);
        return text;
    };
    QCOMPARE(lines(found), lines(expected));

    // No key runs two commands.
    std::set<QKeySequence> distinct;
    for (const auto& [name, keys] : found)
        QVERIFY2(distinct.insert(keys).second, qPrintable(name));
}

void TestMainMenu::convertShortCutForPlatform_data()
{
    QTest::addColumn<QString>("os");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<QString>("converted");
    QTest::newRow("linux Cmd") << "linux" << "Cmd+S" << "Ctrl+S";
    QTest::newRow("linux lower case") << "linux" << "cmd+shift+z" << "Ctrl+shift+z";
    QTest::newRow("linux upper case, after a modifier") << "linux" << "Shift+CMD+G" << "Shift+Ctrl+G";
    QTest::newRow("windows") << "windows" << "Cmd+b" << "Ctrl+b";
    QTest::newRow("no command key") << "linux" << "Shift+ " << "Shift+ ";
    QTest::newRow("a plain key") << "windows" << "," << ",";
    QTest::newRow("macOS keeps it") << "osx" << "Cmd+S" << "Cmd+S";
}

void TestMainMenu::convertShortCutForPlatform()
{
    QFETCH(QString, os);
    QFETCH(QString, shortcut);
    QFETCH(QString, converted);
    f->UseFakeEngine();
    f->Create();
    QVariant result;
    QVERIFY(QMetaObject::invokeMethod(Menu(), "convertShortCutForPlatform", Q_RETURN_ARG(QVariant, result),
                                      Q_ARG(QVariant, shortcut), Q_ARG(QVariant, os)));
    QCOMPARE(result.toString(), converted);
}

void TestMainMenu::keysRunOneCommandEach_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("playing");
    QTest::addColumn<QString>("fired");
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<double>("scaleAfter"); // the timeline's scale from 2
    QTest::addColumn<bool>("editController"); // reached the edit controller
    const QString play = QStringLiteral("PlayPauseRequested() x1");
    QTest::newRow("space plays") << QKeySequence(Qt::Key_Space) << false << play << Calls{"Play"} << 2.0 << false;
    QTest::newRow("space pauses") << QKeySequence(Qt::Key_Space) << true << play << Calls{"Pause false"} << 2.0
                                  << false;
    QTest::newRow("Shift+Space stops") << QKeySequence(Qt::SHIFT | Qt::Key_Space) << true << "StopRequested() x1"
                                       << Calls{"Stop"} << 2.0 << false;
    QTest::newRow("Right advances") << QKeySequence(Qt::Key_Right) << true << "ContinuePlayRequested() x1"
                                    << Calls{"Continue"} << 2.0 << false;
    QTest::newRow("comma") << QKeySequence(Qt::Key_Comma) << false << "SeekPrevMarkerRequested() x1"
                           << Calls{"SeekLeft"} << 2.0 << false;
    QTest::newRow("full stop") << QKeySequence(Qt::Key_Period) << false << "SeekNextMarkerRequested() x1"
                               << Calls{"SeekRight"} << 2.0 << false;
    QTest::newRow("Shift+comma") << QKeySequence(Qt::SHIFT | Qt::Key_Comma) << false << "SeekPrevBarRequested() x1"
                                 << Calls{"SeekToPreviousMeasure"} << 2.0 << false;
    QTest::newRow("Shift+full stop") << QKeySequence(Qt::SHIFT | Qt::Key_Period) << false
                                     << "SeekNextBarRequested() x1" << Calls{"SeekToNextMeasure"} << 2.0 << false;
    QTest::newRow("= zooms in") << QKeySequence(Qt::Key_Equal) << false << "ZoomInRequested() x1" << Calls{} << 2.6
                                << false;
    QTest::newRow("- zooms out") << QKeySequence(Qt::Key_Minus) << false << "ZoomOutRequested() x1" << Calls{} << 1.4
                                 << false;
    // The edit controller pauses the engine before it asks the change-log editor.
    QTest::newRow("Ctrl+Z undoes") << QKeySequence(Qt::CTRL | Qt::Key_Z) << false << "UndoRequested() x1"
                                   << Calls{"Pause false"} << 2.0 << true;
    QTest::newRow("Ctrl+Shift+Z redoes") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) << false
                                         << "RedoRequested() x1" << Calls{"Pause false"} << 2.0 << true;
    QTest::newRow("Backspace deletes") << QKeySequence(Qt::Key_Backspace) << false << "DeleteRequested() x1"
                                       << Calls{} << 2.0 << true;
    QTest::newRow("Delete deletes") << QKeySequence(Qt::Key_Delete) << false << "DeleteRequested() x1" << Calls{}
                                    << 2.0 << true;
    QTest::newRow("Ctrl+A selects all") << QKeySequence(Qt::CTRL | Qt::Key_A) << false << "selectAllRequested() x1"
                                        << Calls{} << 2.0 << false;
    QTest::newRow("Ctrl+S saves") << QKeySequence(Qt::CTRL | Qt::Key_S) << false << "saveRequested() x1" << Calls{}
                                  << 2.0 << false;
    QTest::newRow("Ctrl+Q quits") << QKeySequence(Qt::CTRL | Qt::Key_Q) << true << "Closing() x1" << Calls{} << 2.0
                                  << false;
    QTest::newRow("audio manager") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G) << false
                                   << "audioManagerClicked() x1" << Calls{} << 2.0 << false;
    QTest::newRow("MIDI manager") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M) << false
                                  << "midiCommandsClicked() x1" << Calls{} << 2.0 << false;
    QTest::newRow("OSC manager") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O) << false
                                 << "oscManagerClicked() x1" << Calls{} << 2.0 << false;
    QTest::newRow("q") << QKeySequence(Qt::Key_Q) << false << "selectionStartToCenter() x1" << Calls{} << 2.0
                       << false;
    QTest::newRow("w") << QKeySequence(Qt::Key_W) << false << "selectionEndToCenter() x1" << Calls{} << 2.0 << false;
    QTest::newRow("[") << QKeySequence(Qt::Key_BracketLeft) << false << "extendSelectionToStart() x1" << Calls{}
                       << 2.0 << false;
    QTest::newRow("]") << QKeySequence(Qt::Key_BracketRight) << false << "extendSelectionToEnd() x1" << Calls{}
                       << 2.0 << false;
}

void TestMainMenu::keysRunOneCommandEach()
{
    QFETCH(QKeySequence, keys);
    QFETCH(bool, playing);
    QFETCH(QString, fired);
    QFETCH(Calls, calls);
    QFETCH(double, scaleAfter);
    QFETCH(bool, editController);
    TransportFakeEngine* fake = f->UseFakeEngine();
    f->Create();
    fake->playing = playing;
    EnableEditing();
    f->Window()->property("timelineControl").value<QObject*>()->setProperty("viewScale", 2.0);
    Activate();
    const std::unique_ptr<CommandSpies> spies = Spies();
    const std::size_t from = f->log->Calls().size();

    Press(keys);

    QCOMPARE(spies->Fired(), QStringList{fired});
    QCOMPARE(CallsSince(*f->log, from), calls);
    QTRY_COMPARE(ViewScale(), scaleAfter);
    QCOMPARE(f->controller->GetTimelineController()->IsAutoScrollSuspended(), editController);
    // Quit only asks: the window stays for the launcher to decide.
    QVERIFY(Window()->isVisible());
}

void TestMainMenu::entriesWithoutKeysRunTheirCommand_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("fired");
    QTest::newRow("Download Latest Log") << "downloadLatestLogAction"
                                         << "getLatestChangelogClicked() x1, getLatestLogClicked() x1";
    QTest::newRow("View Past Logs") << "viewPastLogsAction" << "changelogManagerOpened() x1";
    QTest::newRow("Share Edits") << "shareAction" << "shareRequested() x1";
    QTest::newRow("Quit") << "quitAction" << "Closing() x1";
}

void TestMainMenu::entriesWithoutKeysRunTheirCommand()
{
    QFETCH(QString, action);
    QFETCH(QString, fired);
    f->UseFakeEngine();
    f->Create();
    EnableEditing();
    const std::unique_ptr<CommandSpies> spies = Spies();
    QObject* entry = Action(qPrintable(action));
    QVERIFY(entry);
    QVERIFY(QMetaObject::invokeMethod(entry, "trigger"));
    QCOMPARE(spies->Fired().join(QStringLiteral(", ")), fired);
}

void TestMainMenu::enablementFollowsTheEditController_data()
{
    QTest::addColumn<bool>("canUndo");
    QTest::addColumn<bool>("canRedo");
    QTest::addColumn<bool>("canSave");
    QTest::addColumn<bool>("canShare");
    QTest::newRow("nothing") << false << false << false << false;
    QTest::newRow("after an edit") << true << false << true << true;
    QTest::newRow("after saving an undone edit") << false << true << false << true;
    QTest::newRow("everything") << true << true << true << true;
}

void TestMainMenu::enablementFollowsTheEditController()
{
    QFETCH(bool, canUndo);
    QFETCH(bool, canRedo);
    QFETCH(bool, canSave);
    QFETCH(bool, canShare);
    f->UseFakeEngine();
    f->Create();
    // Before any word from the edit controller: only what needs nothing is on.
    QVERIFY(!Action("undoAction")->property("enabled").toBool());
    QVERIFY(!Action("saveAction")->property("enabled").toBool());
    // From the other corner first, so every value is a change.
    emit f->controller->GetEditController()->UpdateUndoRedoState(!canUndo, !canRedo, !canSave, !canShare);
    emit f->controller->GetEditController()->UpdateUndoRedoState(canUndo, canRedo, canSave, canShare);

    const std::vector<std::pair<const char*, bool>> expected{
        {"undoAction", canUndo}, {"redoAction", canRedo}, {"saveAction", canSave}, {"shareAction", canShare},
        {"deleteAction", true},  {"selectAllAction", true}};
    for (const auto& [action, enabled] : expected)
        QCOMPARE(Action(action)->property("enabled").toBool(), enabled);

    // A disabled entry's key does nothing.
    Activate();
    const std::unique_ptr<CommandSpies> spies = Spies();
    Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    Press(QKeySequence(Qt::CTRL | Qt::Key_S));
    QStringList fired;
    if (canUndo)
        fired << QStringLiteral("UndoRequested() x1");
    if (canRedo)
        fired << QStringLiteral("RedoRequested() x1");
    if (canSave)
        fired << QStringLiteral("saveRequested() x1");
    fired.sort();
    QStringList actual = spies->Fired();
    actual.sort();
    QCOMPARE(actual, fired);
}

void TestMainMenu::aRealEditEnablesUndoAndSaveAndTheKeysUndoIt()
{
    f->Create();
    QVERIFY(!Action("undoAction")->property("enabled").toBool());
    QSignalSpy errors(f->controller->GetEditController(), &zarn::qt::EditController::error);
    f->controller->GetEditController()->onZarnMakeEvent(CL::Marker(4000, "Verse", "E2.3"));
    QCOMPARE(errors.count(), 0);
    QVERIFY(Action("undoAction")->property("enabled").toBool());
    QVERIFY(!Action("redoAction")->property("enabled").toBool());
    QVERIFY(Action("saveAction")->property("enabled").toBool());
    QVERIFY(Action("shareAction")->property("enabled").toBool());

    Activate();
    Press(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(errors.count(), 0);
    QVERIFY(!Action("undoAction")->property("enabled").toBool());
    QVERIFY(Action("redoAction")->property("enabled").toBool());
    Press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QVERIFY(Action("undoAction")->property("enabled").toBool());
    QVERIFY(!Action("redoAction")->property("enabled").toBool());
}

void TestMainMenu::aNewShowLoadReconnectsTheMenu()
{
    f->Create();
    f->controller->LoadShow_();
    MainWindowFixture::FlushDeletes();
    emit f->controller->GetEditController()->UpdateUndoRedoState(true, true, true, false);
    QVERIFY(Action("undoAction")->property("enabled").toBool());
    QVERIFY(!Action("shareAction")->property("enabled").toBool());
    // The keys reach the new edit controller.
    Activate();
    QVERIFY(!f->controller->GetTimelineController()->IsAutoScrollSuspended());
    Press(QKeySequence(Qt::Key_Delete));
    QVERIFY(f->controller->GetTimelineController()->IsAutoScrollSuspended());
}

void TestMainMenu::editionSwitches_data()
{
    QTest::addColumn<bool>("enableOsc");
    QTest::addColumn<bool>("showAudioManager");
    QTest::newRow("both") << true << true;
    QTest::newRow("OSC off") << false << true;
    QTest::newRow("no audio manager") << true << false;
}

void TestMainMenu::editionSwitches()
{
    QFETCH(bool, enableOsc);
    QFETCH(bool, showAudioManager);
    f->profile.enableOsc = enableOsc;
    f->profile.showAudioManager = showAudioManager;
    f->profile.displayName = QStringLiteral("Corvane Rehearsal");
    f->UseFakeEngine();
    f->Create();
    QCOMPARE(Menu()->property("oscEnabled").toBool(), enableOsc);
    QCOMPARE(Action("oscManagerAction")->property("enabled").toBool(), enableOsc);
    QCOMPARE(Action("audioManagerAction")->property("enabled").toBool(), showAudioManager);
    QCOMPARE(Action("quitAction")->property("text").toString(), QStringLiteral("Quit Corvane Rehearsal"));
    QCOMPARE(Action("aboutAction")->property("text").toString(), QStringLiteral("About Corvane Rehearsal..."));
    QCOMPARE(f->controller->GetMenuController()->GetAppName(), QStringLiteral("Corvane Rehearsal"));

    Activate();
    const std::unique_ptr<CommandSpies> spies = Spies();
    // Both entries open a modal window, which takes the keys while it is shown: the audio
    // window is closed again before the OSC entry's keys.
    Press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    if (zarn::qt::AudioManagerController* audio = f->controller->GetAudioManager()) {
        audio->SetVisible(false);
        Activate();
    }
    Press(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    QStringList fired;
    if (showAudioManager)
        fired << QStringLiteral("audioManagerClicked() x1");
    if (enableOsc)
        fired << QStringLiteral("oscManagerClicked() x1");
    QCOMPARE(spies->Fired(), fired);
}

void TestMainMenu::typingInTheJumpFieldRunsNoCommand()
{
    f->UseFakeEngine();
    f->Create();
    EnableEditing();
    Activate();
    QObject* jump = f->Window()->property("jumpControl").value<QObject*>();
    QObject* popup = jump->property("popup").value<QObject*>();
    auto* field = jump->property("field").value<QQuickItem*>();
    Press(QKeySequence(Qt::CTRL | Qt::Key_B));
    QTRY_VERIFY(popup->property("opened").toBool());
    QTRY_VERIFY(field->hasActiveFocus());

    const std::unique_ptr<CommandSpies> spies = Spies();
    const std::size_t from = f->log->Calls().size();
    for (const char key : std::string("1 2,3.4qw[]"))
        QTest::keyClick(Window(), key);
    QCOMPARE(field->property("text").toString(), QStringLiteral("1 2,3.4qw[]"));
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::SHIFT | Qt::Key_Space),
                                     QKeySequence(Qt::Key_Right), QKeySequence(Qt::Key_Delete)})
        Press(keys);
    QCOMPARE(field->property("text").toString(), QStringLiteral("1 2,3.4qw[ "));
    QCOMPARE(spies->Fired(), QStringList());
    QCOMPARE(CallsSince(*f->log, from), Calls{});

    // Once the prompt is gone the keys are the window's again.
    QTest::keyClick(Window(), Qt::Key_Escape);
    QTRY_VERIFY(!popup->property("visible").toBool());
    Press(QKeySequence(Qt::Key_Space));
    QCOMPARE(CallsSince(*f->log, from), Calls{"Play"});
}

void TestMainMenu::quitAsksTheLauncherAndKeepsTheWindow()
{
    f->UseFakeEngine();
    f->Create();
    QSignalSpy closing(f->controller.get(), &zarn::qt::MusicalMainController::Closing);
    QVERIFY(QMetaObject::invokeMethod(Action("quitAction"), "trigger"));
    Activate();
    Press(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(closing.count(), 2);
    QVERIFY(Window()->isVisible());
}

void TestMainMenu::iconOpensTheMenuBelowIt()
{
    f->UseFakeEngine();
    f->Create();
    Activate();
    auto* icon = Menu()->findChild<QQuickItem*>(QStringLiteral("menuIcon"));
    QVERIFY(icon);
    QObject* menu = Menu()->property("popupMenu").value<QObject*>();
    QTest::mouseClick(Window(), Qt::LeftButton, {}, icon->mapToScene(QPointF(10, 10)).toPoint());
    QTRY_VERIFY(menu->property("opened").toBool());
    auto* content = menu->property("contentItem").value<QQuickItem*>();
    const QPointF iconCorner = icon->mapToScene(QPointF(0, icon->height()));
    const QPointF menuCorner = content->parentItem()->mapToScene(QPointF(0, 0));
    QCOMPARE(menuCorner, iconCorner);
    QCOMPARE(menu->property("count").toInt(), 6);
    QTest::keyClick(Window(), Qt::Key_Escape);
    QTRY_VERIFY(!menu->property("visible").toBool());
}

void TestMainMenu::aboutOpensThePopupAndOneAcknowledgementsWindow_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<QString>("textStart");
    // The edition's folder name leads to its module's acknowledgements.
    QTest::newRow("the edition's text") << "corvane" << "Corvane is built with the following software components";
    QTest::newRow("a folder name without a module") << "corvane-test" << "Error: Unable to Load Acknowledgements.";
}

void TestMainMenu::aboutOpensThePopupAndOneAcknowledgementsWindow()
{
    QFETCH(QString, folderName);
    QFETCH(QString, textStart);
    // The folder name also names the data folder: the installed show moves along.
    f->profile.folderName = folderName;
    if (f->profile.GetDataFolder() != f->dataFolder) {
        std::filesystem::copy(f->dataFolder.toStdString(), f->profile.GetDataFolder().toStdString(),
                              std::filesystem::copy_options::recursive);
    }
    f->UseFakeEngine();
    f->Create();
    QObject* aboutItem = f->WindowProperty("aboutWindow").value<QObject*>();
    QVERIFY(aboutItem);
    QCOMPARE(f->controller->GetAboutWindowController()->GetQmlObject(), aboutItem);
    QCOMPARE(aboutItem->findChild<QObject*>(QStringLiteral("versionText"))->property("text").toString(),
             QStringLiteral("Version ") + f->profile.GetVersionString());
    QCOMPARE(aboutItem->property("logoSource").toUrl(), QUrl(f->profile.aboutLogoUrl));

    QVERIFY(QMetaObject::invokeMethod(Action("aboutAction"), "trigger"));
    QObject* popup = aboutItem->property("popup").value<QObject*>();
    QTRY_VERIFY(popup->property("opened").toBool());
    // Centred in the window, not on the menu's icon.
    const QWindow* window = Window();
    const QPointF origin = qobject_cast<QQuickItem*>(aboutItem)->mapToScene(QPointF(0, 0));
    QCOMPARE(origin.x() + popup->property("x").toReal(), (window->width() - popup->property("width").toReal()) / 2);
    QCOMPARE(origin.y() + popup->property("y").toReal(), (window->height() - popup->property("height").toReal()) / 2);

    const auto acknowledgementWindows = [] {
        MainWindowFixture::FlushDeletes();
        int count = 0;
        for (QWindow* w : QGuiApplication::allWindows())
            count += w->objectName() == QStringLiteral("acknowledgementsWindow") && w->isVisible();
        return count;
    };
    QObject* button = aboutItem->findChild<QObject*>(QStringLiteral("acknowledgementsButton"));
    QVERIFY(QMetaObject::invokeMethod(button, "clicked"));
    QCOMPARE(acknowledgementWindows(), 1);
    QVERIFY(QMetaObject::invokeMethod(button, "clicked"));
    QCOMPARE(acknowledgementWindows(), 1);
    const QString text = f->controller->GetAboutWindowController()
                             ->GetAcknowledgementsWindow()
                             ->GetQmlObject()
                             ->property("acknowledgementText")
                             .toString();
    QVERIFY2(text.startsWith(textStart), qPrintable(text.left(80)));
}

QTEST_MAIN(TestMainMenu)
#include "tst_main_menu.moc"
