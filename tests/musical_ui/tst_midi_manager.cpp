// The MIDI Manager window and its command rows on their real QML over a fake engine: what a
// row shows for each state, what a pick or Learn sends, the engine's reports, the source list
// and the saved source name, the window's size, and failures reaching the operator as a
// dialog instead of ending the program.
#include "AppSettings.h"
#include "InertEngine.h"
#include "MidiManagerController.h"
#include "MidiRowProbe.h"
#include "QmlModuleLoader.h"
#include "ShowManager.h"

#include <QColor>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <memory>
#include <set>
#include <stdexcept>

using zarn::qt::MidiManagerCommandController;
using zarn::qt::MidiManagerController;
using midi_row::Lamp;
using midi_row::Part;
using midi_row::Pick;
using midi_row::Shown;
using midi_row::ShownText;

namespace {

// The engine's MIDI side, answering from its fields and recording what the window asks of it.
class MidiFakeEngine : public InertEngine
{
public:
    std::map<std::uint8_t, std::string> GetCommandNames() override { return names; }
    std::map<std::uint8_t, MidiCommandRecord> GetLearnedCommands() override { return learned; }
    bool IsMidiCommandLearning(std::uint8_t id) override { return learning.count(id) > 0; }
    std::vector<int> GetAllowedCommandStatuses() override { return statuses; }
    std::vector<MidiEndPoint> GetMidiSources() override
    {
        if (failSources)
            throw std::runtime_error("The MIDI system stopped answering.");
        std::vector<MidiEndPoint> list;
        for (const auto& name : sources)
            list.emplace_back(name);
        return list;
    }
    void SetMidiSource(int index) override { sourceCalls.push_back(index); }
    bool HasMidiSource() override { return hasSource; }
    std::uint8_t GetConnectedSourceIndex() override { return connected; }
    std::string GetMidiProblem() override { return midiProblem; }
    void SetMidiCommand(std::uint8_t id, std::uint8_t status, std::uint8_t channel, std::uint8_t note) override
    {
        if (failAssign)
            throw std::invalid_argument("The engine refused the assignment.");
        assignments.push_back({id, status, channel, note});
    }
    void LearnMidiCommand(std::uint8_t id) override
    {
        if (failLearn)
            throw std::runtime_error("The engine cannot learn now.");
        learnCalls.push_back(id);
    }

    std::map<std::uint8_t, std::string> names{{1, "Play"}, {2, "Pause"}, {3, "Stop"}};
    std::map<std::uint8_t, MidiCommandRecord> learned;
    std::set<std::uint8_t> learning;
    std::vector<int> statuses{0x90, 0xB0, 0xC0};
    std::vector<std::string> sources;
    bool hasSource = false;
    std::uint8_t connected = 0;
    std::string midiProblem;
    bool failSources = false;
    bool failAssign = false;
    bool failLearn = false;

    std::vector<int> sourceCalls;
    std::vector<std::array<int, 4>> assignments;
    std::vector<int> learnCalls;
};

struct Error
{
    std::string message;
    std::string title;
};

} // namespace

class TestMidiManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void aRowShowsAndSends_data();
    void aRowShowsAndSends();
    void theSourceFollowsTheSavedName_data();
    void theSourceFollowsTheSavedName();
    void choosingASourceTellsTheEngineAndStoresItsName();
    void rowsComeInCommandOrderAndGrowTheWindow();
    void reportsReachOnlyTheirRow();
    void withoutAnEngineNothingIsCalled();
    void aFailingEngineStopsTheWindowBeingMade();

private:
    std::unique_ptr<MidiManagerController> Open();
    QQuickWindow* Window(const MidiManagerController& manager) const;
    void Record(zarn::qt::QmlController& controller);
    QString SettingsPath() const { return dir_.filePath(QStringLiteral("general_settings.zarn")); }

    QTemporaryDir dir_;
    std::unique_ptr<QQmlEngine> qml_;
    std::unique_ptr<QQuickWindow> mainWindow_;
    std::shared_ptr<MidiFakeEngine> engine_;
    std::shared_ptr<zarn::ShowManager> showManager_;
    std::shared_ptr<zarn::AppSettings> settings_;
    std::vector<Error> errors_;
};

void TestMidiManager::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    qml_ = std::make_unique<QQmlEngine>();
    zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
    mainWindow_ = std::make_unique<QQuickWindow>();
    mainWindow_->resize(700, 500);
    mainWindow_->show();
    engine_ = std::make_shared<MidiFakeEngine>();
    showManager_ = std::make_shared<zarn::ShowManager>(engine_);
    QFile::remove(SettingsPath());
    settings_ = std::make_shared<zarn::AppSettings>(std::make_unique<QSettings>(SettingsPath(), QSettings::IniFormat));
    errors_.clear();
}

void TestMidiManager::cleanup()
{
    mainWindow_.reset();
    qml_.reset();
    showManager_.reset();
    engine_.reset();
    settings_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestMidiManager::Record(zarn::qt::QmlController& controller)
{
    connect(&controller, &zarn::qt::QmlController::error, this,
            [this](std::string message, std::string title) { errors_.push_back({message, title}); });
}

std::unique_ptr<MidiManagerController> TestMidiManager::Open()
{
    auto manager = std::make_unique<MidiManagerController>(qml_.get(), showManager_, settings_, mainWindow_.get());
    Record(*manager);
    manager->SetVisible(true);
    if (!QTest::qWaitForWindowExposed(Window(*manager)))
        qWarning("The MIDI Manager window was not shown");
    return manager;
}

QQuickWindow* TestMidiManager::Window(const MidiManagerController& manager) const
{
    return qobject_cast<QQuickWindow*>(manager.GetQmlObject());
}

// One row from its first state through one thing the operator or the engine does. The
// assignment an action sends is written "id status channel note"; "-" is nothing sent.
void TestMidiManager::aRowShowsAndSends_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("note");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("statusText");
    QTest::addColumn<QString>("channelText");
    QTest::addColumn<QString>("noteText");
    QTest::addColumn<QColor>("lamp");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("sent");
    QTest::addColumn<int>("learnCalls");
    QTest::addColumn<QString>("error");

    const QColor off("dimgray"), on("lawngreen"), learning("#87CEEB");
    QTest::newRow("unassigned") << -1 << -1 << -1 << "" << "" << "" << "" << off << true << "-" << 0 << "";
    QTest::newRow("assigned: nothing sent while built")
        << 144 << 15 << 60 << "" << "Note On" << "16" << "60" << on << true << "-" << 0 << "";
    QTest::newRow("channel and note alone send nothing")
        << -1 << -1 << -1 << "channel 2, note 64" << "" << "3" << "64" << off << true << "-" << 0 << "";
    QTest::newRow("a status completes the pick")
        << -1 << -1 << -1 << "channel 2, note 64, status 1" << "Control Change" << "3" << "64" << off << true
        << "1 176 2 64" << 0 << "";
    QTest::newRow("learn") << 144 << 0 << 60 << "learn" << "Note On" << "1" << "60" << learning << false << "-" << 1
                           << "";
    QTest::newRow("learned report sets the pickers")
        << -1 << -1 << -1 << "learn, learned 192 4 7" << "Program Change" << "5" << "7" << on << true << "-" << 1
        << "";
    QTest::newRow("hand pick then a cancelled learn")
        << -1 << -1 << -1 << "channel 2, note 64, status 1, learn, cancelled" << "" << "" << "" << off << true
        << "1 176 2 64" << 1 << "";
    QTest::newRow("a status the engine does not allow")
        << 0xE0 << 9 << 40 << "" << "" << "10" << "40" << on << true << "-" << 0 << "";
    QTest::newRow("a status the name table lacks")
        << 244 << 0 << 1 << "" << "Status 244" << "1" << "1" << on << true << "-" << 0 << "";
    QTest::newRow("the engine refuses the assignment")
        << -1 << -1 << -1 << "fail assign, channel 2, note 64, status 0" << "Note On" << "3" << "64" << off << true
        << "-" << 0 << "The engine refused the assignment.";
    QTest::newRow("the engine cannot learn")
        << 144 << 15 << 60 << "fail learn, learn" << "Note On" << "16" << "60" << on << true << "-" << 0
        << "The engine cannot learn now.";
}

void TestMidiManager::aRowShowsAndSends()
{
    QFETCH(int, status);
    QFETCH(int, channel);
    QFETCH(int, note);
    QFETCH(QString, action);

    engine_->names = {{1, "Play"}};
    engine_->statuses = {0x90, 0xB0, 0xC0, 244};
    if (status >= 0)
        engine_->learned[1] = {std::uint8_t(status), std::uint8_t(channel), std::uint8_t(note)};
    auto manager = Open();
    QCOMPARE(manager->GetCommandRows().size(), std::size_t(1));
    MidiManagerCommandController& row = *manager->GetCommandRows().front();
    QObject* statusPicker = Part(row, "statusPicker");
    QObject* channelPicker = Part(row, "channelPicker");
    QObject* notePicker = Part(row, "notePicker");

    for (const QString& step : action.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const QStringList words = step.split(QLatin1Char(' '));
        if (step == QLatin1String("fail assign"))
            engine_->failAssign = true;
        else if (step == QLatin1String("fail learn"))
            engine_->failLearn = true;
        else if (words[0] == QLatin1String("channel"))
            Pick(channelPicker, words[1].toInt());
        else if (words[0] == QLatin1String("note"))
            Pick(notePicker, words[1].toInt());
        else if (words[0] == QLatin1String("status"))
            Pick(statusPicker, words[1].toInt());
        else if (step == QLatin1String("learn"))
            QVERIFY(QMetaObject::invokeMethod(row.GetQmlObject(), "learnClicked"));
        else if (words[0] == QLatin1String("learned"))
            manager->MidiLearned(1, words[1].toInt(), words[2].toInt(), words[3].toInt());
        else if (step == QLatin1String("cancelled"))
            manager->MidiUnlearned(1);
        else
            QFAIL(qPrintable("unknown step " + step));
    }

    QTEST(ShownText(statusPicker), "statusText");
    QTEST(ShownText(channelPicker), "channelText");
    QTEST(ShownText(notePicker), "noteText");
    QTEST(Lamp(row), "lamp");
    QFETCH(bool, enabled);
    for (QObject* control : {statusPicker, channelPicker, notePicker, Part(row, "learnButton")})
        QCOMPARE(control->property("enabled").toBool(), enabled);
    QStringList sent;
    for (const auto& a : engine_->assignments)
        sent << QStringLiteral("%1 %2 %3 %4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
    QTEST(sent.isEmpty() ? QStringLiteral("-") : sent.join(QLatin1Char(';')), "sent");
    QTEST(int(engine_->learnCalls.size()), "learnCalls");
    QFETCH(QString, error);
    if (error.isEmpty()) {
        QVERIFY(errors_.empty());
    } else {
        QCOMPARE(errors_.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(errors_[0].message), error);
        QCOMPARE(QString::fromStdString(errors_[0].title), QStringLiteral("MIDI Manager Error"));
    }
}

void TestMidiManager::theSourceFollowsTheSavedName_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("connected"); // -1: the engine reports none
    QTest::addColumn<QString>("midiProblem");
    QTest::addColumn<int>("shown");     // -1: no entry shown
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("sourceCalls");
    QTest::addColumn<bool>("lamp");

    const QStringList three{"first", "second", "third"};
    QTest::newRow("saved name found") << three << "second" << -1 << "" << 1 << "second" << QList<int>{1} << false;
    QTest::newRow("a connected source wins") << three << "second" << 2 << "" << 2 << "third" << QList<int>{1} << true;
    QTest::newRow("names differ in case") << QStringList{"Alpha", "Beta"} << "beta" << -1 << "" << 0 << "Alpha"
                                          << QList<int>{0} << false;
    QTest::newRow("nothing saved") << three << "" << -1 << "" << 0 << "first" << QList<int>{0} << false;
    QTest::newRow("a connected index past the list")
        << QStringList{"Alpha", "Beta"} << "" << 5 << "" << -1 << "" << QList<int>{0} << true;
    QTest::newRow("no MIDI input") << QStringList{} << "second" << -1 << "" << -1 << "No MIDI input found"
                                   << QList<int>{} << false;
    QTest::newRow("no MIDI system") << QStringList{} << "" << -1 << "No MIDI system found" << -1
                                    << "No MIDI system found" << QList<int>{} << false;
}

void TestMidiManager::theSourceFollowsTheSavedName()
{
    QFETCH(QStringList, sources);
    QFETCH(QString, saved);
    QFETCH(int, connected);
    QFETCH(QString, midiProblem);
    for (const QString& s : sources)
        engine_->sources.push_back(s.toStdString());
    engine_->hasSource = connected >= 0;
    engine_->connected = std::uint8_t(std::max(connected, 0));
    engine_->midiProblem = midiProblem.toStdString();
    settings_->currentMidiSourceName = saved;

    auto manager = Open();
    QObject* window = manager->GetQmlObject();
    auto* box = window->property("sourceBox").value<QObject*>();
    QTEST(Shown(box), "shown");
    QTEST(box->property("displayText").toString(), "text");
    QFETCH(QList<int>, sourceCalls);
    QCOMPARE(QList<int>(engine_->sourceCalls.begin(), engine_->sourceCalls.end()), sourceCalls);
    QFETCH(bool, lamp);
    QCOMPARE(window->property("sourceStatus").toBool(), lamp);
    const QColor lampColor = window->property("sourceLamp").value<QObject*>()->property("color").value<QColor>();
    QCOMPARE(lampColor, QColor(lamp ? "lawngreen" : "dimgray"));
    // Showing never changes the saved name, and the rows are there either way.
    QCOMPARE(settings_->currentMidiSourceName, saved);
    QCOMPARE(manager->GetCommandRows().size(), std::size_t(3));
    QVERIFY(errors_.empty());
}

void TestMidiManager::choosingASourceTellsTheEngineAndStoresItsName()
{
    engine_->sources = {"first", "second", "third"};
    auto manager = Open();
    engine_->sourceCalls.clear();
    QVERIFY(!QFile::exists(SettingsPath()));

    QVERIFY(QMetaObject::invokeMethod(manager->GetQmlObject(), "sourceSelected", Q_ARG(int, 1)));
    QCOMPARE(engine_->sourceCalls, std::vector<int>{1});
    QCOMPARE(settings_->currentMidiSourceName, QStringLiteral("second"));
    QSettings file(SettingsPath(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("currentMidiSourceName")).toString(), QStringLiteral("second"));

    // An index that names no entry still goes to the engine, which ignores it; nothing is stored.
    QVERIFY(QMetaObject::invokeMethod(manager->GetQmlObject(), "sourceSelected", Q_ARG(int, 7)));
    QCOMPARE(engine_->sourceCalls, (std::vector<int>{1, 7}));
    QCOMPARE(settings_->currentMidiSourceName, QStringLiteral("second"));
    QVERIFY(errors_.empty());
}

void TestMidiManager::rowsComeInCommandOrderAndGrowTheWindow()
{
    engine_->names = {};
    auto empty = Open();
    const int emptyHeight = Window(*empty)->height();
    QCOMPARE(Window(*empty)->width(), 660);
    empty.reset();

    engine_->names = {{3, "Stop"}, {1, "Play"}, {2, "Pause"}};
    engine_->learned[3] = {0x90, 0, 1};
    engine_->learned[1] = {0x90, 0, 2};
    auto manager = Open();
    QCOMPARE(manager->GetCommandRows().size(), std::size_t(3));
    qreal lastY = -1;
    for (int i = 0; i < 3; ++i) {
        const auto& row = *manager->GetCommandRows()[i];
        QCOMPARE(row.GetCommandId(), i + 1);
        auto* item = qobject_cast<QQuickItem*>(row.GetQmlObject());
        QVERIFY(item->y() > lastY);
        lastY = item->y();
    }
    QCOMPARE(manager->GetCommandRows()[0]->GetQmlObject()->property("commandName").toString(), QStringLiteral("Play"));
    QTRY_COMPARE(Window(*manager)->height(), emptyHeight + 3 * 35);
    QCOMPARE(Window(*manager)->width(), 660);
    QCOMPARE(Window(*manager)->maximumHeight(), Window(*manager)->height());
}

void TestMidiManager::reportsReachOnlyTheirRow()
{
    auto manager = Open();
    const auto& rows = manager->GetCommandRows();
    manager->MidiLearned(2, 144, 15, 60);
    QCOMPARE(ShownText(Part(*rows[1], "statusPicker")), QStringLiteral("Note On"));
    QCOMPARE(ShownText(Part(*rows[1], "channelPicker")), QStringLiteral("16"));
    QCOMPARE(ShownText(Part(*rows[1], "notePicker")), QStringLiteral("60"));
    QCOMPARE(Lamp(*rows[1]), QColor("lawngreen"));
    for (int other : {0, 2}) {
        QCOMPARE(Shown(Part(*rows[other], "statusPicker")), -1);
        QCOMPARE(Lamp(*rows[other]), QColor("dimgray"));
    }
    // Reports for commands the window has no row for change nothing and raise nothing.
    manager->MidiLearned(99, 144, 1, 1);
    manager->MidiUnlearned(99);
    QVERIFY(engine_->assignments.empty());
    QVERIFY(errors_.empty());
    QCOMPARE(Lamp(*rows[1]), QColor("lawngreen"));
}

// After a show load the old window's show manager has no engine: its rows and source box call
// nothing and say so.
void TestMidiManager::withoutAnEngineNothingIsCalled()
{
    engine_->sources = {"first", "second"};
    auto manager = Open();
    engine_->sourceCalls.clear();
    showManager_->ReleasePlayer();

    const auto& row = *manager->GetCommandRows().front();
    Pick(Part(row, "channelPicker"), 1);
    Pick(Part(row, "notePicker"), 2);
    Pick(Part(row, "statusPicker"), 0);
    QVERIFY(QMetaObject::invokeMethod(row.GetQmlObject(), "learnClicked"));
    QVERIFY(QMetaObject::invokeMethod(manager->GetQmlObject(), "sourceSelected", Q_ARG(int, 1)));
    manager->MidiLearned(1, 144, 1, 2);
    QVERIFY(engine_->assignments.empty());
    QVERIFY(engine_->learnCalls.empty());
    QVERIFY(engine_->sourceCalls.empty());
    QVERIFY(!errors_.empty());
    for (const Error& e : errors_) {
        QCOMPARE(e.message, std::string("No show is loaded."));
        QCOMPARE(e.title, std::string("MIDI Manager Error"));
    }
    // The failed Learn left the row usable.
    QVERIFY(Part(row, "learnButton")->property("enabled").toBool());
    QVERIFY(!row.GetQmlObject()->property("initializing").toBool());

    try {
        MidiManagerController again(qml_.get(), showManager_, settings_, mainWindow_.get());
        QFAIL("a window without an engine was made");
    } catch (const std::runtime_error& e) {
        QCOMPARE(std::string(e.what()), std::string("No show is loaded."));
    }
}

void TestMidiManager::aFailingEngineStopsTheWindowBeingMade()
{
    engine_->failSources = true;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, std::make_unique<MidiManagerController>(
                                                     qml_.get(), showManager_, settings_, mainWindow_.get()));
    // What was made of it goes with it: no window is left behind.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWindow* w : QGuiApplication::allWindows())
        QVERIFY(w->title() != QStringLiteral("MIDI Manager") || !w->isVisible());
}

QTEST_MAIN(TestMidiManager)
#include "tst_midi_manager.moc"
