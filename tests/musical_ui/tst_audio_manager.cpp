// The Audio Manager: its controller on the real window over a fake engine and a fake device
// list (what it selects and hands back, Cancel, a failing OK, the sound problem line), and the
// window as the operator reaches it from the main menu, its OK applied to the engine in order
// and stored, or refused.
#include "AudioManagerController.h"
#include "DeviceControlWin32.h"
#include "InertEngine.h"
#include "MainWindowFixture.h"
#include "QmlModuleLoader.h"

#include <QColor>
#include <QDir>
#include <QPointer>
#include <QQmlEngine>
#include <QQmlProperty>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <stdexcept>

using zarn::audio::AudioDevice;
using zarn::audio::DeviceControlWin32;
using zarn::qt::AudioManagerController;

Q_DECLARE_METATYPE(std::vector<AudioDevice>)

namespace {

class AudioFakeEngine : public InertEngine
{
public:
    std::string GetOutputDeviceUid() override { return uid; }
    double GetVolume() override { return gain; }
    std::string GetSoundProblem() override { return problem; }

    std::string uid;
    double gain = 1.0;
    std::string problem;
};

// An engine that cannot say which device it plays on.
class DeviceFailingEngine : public TransportFakeEngine
{
public:
    std::string GetOutputDeviceUid() override { throw std::runtime_error("The audio system is not answering."); }
};

std::vector<AudioDevice> Devices(std::initializer_list<const char*> namesAndIds)
{
    std::vector<AudioDevice> devices;
    for (auto it = namesAndIds.begin(); it != namesAndIds.end(); it += 2)
        devices.push_back({*it, *(it + 1)});
    return devices;
}

struct DeviceHook
{
    explicit DeviceHook(std::vector<AudioDevice> devices) { DeviceControlWin32::SetDevicesForTesting(std::move(devices)); }
    ~DeviceHook() { DeviceControlWin32::SetDevicesForTesting(std::nullopt); }
};

} // namespace

class TestAudioManager : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    }
    void cleanup() { DeviceControlWin32::SetDevicesForTesting(std::nullopt); }

    void opensOnTheEnginesChoiceAndHandsBack_data();
    void opensOnTheEnginesChoiceAndHandsBack();
    void aSoundProblemIsOneLineKeptUpToDate();

    void okFromTheMenuAppliesInOrderAndStores();
    void aDeviceTheEngineRefusesIsNotStored();
    void aWindowThatCannotBeMadeIsADialog();
};

void TestAudioManager::opensOnTheEnginesChoiceAndHandsBack_data()
{
    QTest::addColumn<std::vector<AudioDevice>>("devices");
    QTest::addColumn<QString>("engineUid");
    QTest::addColumn<double>("engineGain");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("slider");
    QTest::addColumn<bool>("emitted");
    QTest::addColumn<QString>("uid");
    QTest::addColumn<double>("volume");

    const auto two = Devices({"Speakers", "speakers", "Stage", "stage"});
    QTest::newRow("no devices") << std::vector<AudioDevice>{} << "" << 1.0 << "ok" << 0 << 1.0 << true << "" << 1.0;
    QTest::newRow("the engine's device") << two << "stage" << 1.0 << "ok" << 2 << 1.0 << true << "stage" << 1.0;
    QTest::newRow("empty id") << two << "" << 1.0 << "ok" << 0 << 1.0 << true << "" << 1.0;
    QTest::newRow("an id no longer listed") << two << "gone" << 1.0 << "ok" << 0 << 1.0 << true << "" << 1.0;
    QTest::newRow("an id differing in case") << two << "STAGE" << 1.0 << "ok" << 0 << 1.0 << true << "" << 1.0;
    QTest::newRow("duplicate ids: the later one")
        << Devices({"A", "x", "B", "y", "C", "x"}) << "x" << 1.0 << "ok" << 3 << 1.0 << true << "x" << 1.0;
    QTest::newRow("gain 0.5") << two << "" << 0.5 << "ok" << 0 << 0.78598 << true << "" << 0.5;
    QTest::newRow("gain 0") << two << "" << 0.0 << "ok" << 0 << 0.04076220398 << true << "" << 0.0001;
    QTest::newRow("gain 2") << two << "" << 2.0 << "ok" << 0 << 1.0 << true << "" << 1.0;
    QTest::newRow("index 3") << Devices({"A", "a", "B", "b", "C", "c"}) << "" << 1.0 << "pick 3, ok" << 3 << 1.0
                             << true << "c" << 1.0;
    QTest::newRow("cancel") << two << "stage" << 1.0 << "pick 1, cancel" << 1 << 1.0 << false << "" << 0.0;
    QTest::newRow("an index past the list fails inside OK")
        << two << "" << 1.0 << "pick 9, ok" << 9 << 1.0 << false << "" << 1.0;
}

void TestAudioManager::opensOnTheEnginesChoiceAndHandsBack()
{
    QFETCH(std::vector<AudioDevice>, devices);
    QFETCH(QString, engineUid);
    QFETCH(double, engineGain);
    QFETCH(QString, action);
    DeviceHook hook(devices);
    QQmlEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    QQuickWindow main;
    main.show();
    auto engine = std::make_shared<AudioFakeEngine>();
    engine->uid = engineUid.toStdString();
    engine->gain = engineGain;

    AudioManagerController manager(&qml, engine, &main);
    QSignalSpy updated(&manager, &AudioManagerController::audioSettingsUpdated);
    QSignalSpy errors(&manager, &zarn::qt::QmlController::error);
    QObject* window = manager.GetQmlObject();
    QStringList names{QStringLiteral("(default)")};
    for (const auto& d : devices)
        names << QString::fromStdString(d.name);
    QCOMPARE(window->property("outputDeviceModel").toStringList(), names);
    manager.SetVisible(true);
    QVERIFY(QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(window)));
    QCOMPARE(window->property("width").toInt(), 360);

    for (const QString& step : action.split(QStringLiteral(", "))) {
        if (step.startsWith(QLatin1String("pick ")))
            QQmlProperty::write(window, QStringLiteral("outputDeviceIndex"), step.mid(5).toInt());
        else if (step == QLatin1String("ok"))
            QVERIFY(QMetaObject::invokeMethod(window, "okay"));
        else if (step == QLatin1String("cancel"))
            QVERIFY(QMetaObject::invokeMethod(window->property("cancelButton").value<QObject*>(), "clicked"));
    }

    QTEST(window->property("outputDeviceIndex").toInt(), "index");
    QFETCH(double, slider);
    QVERIFY2(qAbs(window->property("outputVolume").toDouble() - slider) < 1e-5,
             qPrintable(QString::number(window->property("outputVolume").toDouble(), 'g', 10)));
    QVERIFY(!window->property("visible").toBool());
    QFETCH(bool, emitted);
    QCOMPARE(updated.count(), emitted ? 1 : 0);
    if (emitted) {
        QVERIFY(errors.isEmpty());
        QTEST(manager.GetOutputDeviceUid(), "uid");
        QFETCH(double, volume);
        QVERIFY2(qAbs(manager.GetOutputVolume() - volume) < 1e-9 * std::max(1.0, volume) + 1e-12,
                 qPrintable(QString::number(manager.GetOutputVolume(), 'g', 17)));
    } else if (action.endsWith(QLatin1String("ok"))) {
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.first().at(1).value<std::string>(), std::string("Error Configuring Audio"));
    } else {
        QVERIFY(errors.isEmpty());
        QCOMPARE(manager.GetOutputDeviceUid(), QString());
        QCOMPARE(manager.GetOutputVolume(), 0.0);
    }
}

void TestAudioManager::aSoundProblemIsOneLineKeptUpToDate()
{
    DeviceHook hook(Devices({"Stage", "corvane_stage"}));
    QQmlEngine qml;
    zarn::qt::QmlModuleLoader::PrepareEngine(qml);
    QQuickWindow main;
    main.show();
    auto engine = std::make_shared<AudioFakeEngine>();
    AudioManagerController manager(&qml, engine, &main);
    manager.SetVisible(true);
    QObject* window = manager.GetQmlObject();
    QVERIFY(QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(window)));
    auto* line = window->findChild<QQuickItem*>(QStringLiteral("soundProblemLine"));
    QVERIFY(line);
    QVERIFY(!line->isVisible());
    const int height = window->property("height").toInt();

    engine->problem = "Audio device lost: Stage";
    QTRY_VERIFY_WITH_TIMEOUT(line->isVisible(), 1500);
    QCOMPARE(line->property("text").toString(), QStringLiteral("Audio device lost: Stage"));
    QCOMPARE(line->property("color").value<QColor>(), QColor("#FF5757"));
    QCOMPARE(line->property("font").value<QFont>().pixelSize(), 11);
    // The window grows to show it: nothing is cut off.
    QTRY_VERIFY(window->property("height").toInt() > height);

    engine->problem.clear();
    QTRY_VERIFY_WITH_TIMEOUT(!line->isVisible(), 1500);
}

void TestAudioManager::okFromTheMenuAppliesInOrderAndStores()
{
    DeviceHook hook(Devices({"Speakers", "speakers"}));
    MainWindowFixture f;
    f.UseFakeEngine();
    f.Create();
    QObject* menu = f.Window()->property("menu").value<QObject*>();
    QObject* action = menu->findChild<QObject*>(QStringLiteral("audioManagerAction"));
    QVERIFY(action && action->property("enabled").toBool());
    QVERIFY(QMetaObject::invokeMethod(action, "trigger"));
    AudioManagerController* manager = f.controller->GetAudioManager();
    QVERIFY(manager);
    auto* window = qobject_cast<QWindow*>(manager->GetQmlObject());
    QVERIFY(QTest::qWaitForWindowExposed(window));

    f.log->Clear();
    QQmlProperty::write(window, QStringLiteral("outputDeviceIndex"), 1);
    auto* ok = window->findChild<QQuickItem*>(QStringLiteral("okButton"));
    QTest::mouseClick(window, Qt::LeftButton, {}, ok->mapToScene(QPointF(ok->width() / 2, ok->height() / 2)).toPoint());
    QTRY_VERIFY(!window->isVisible());
    QStringList calls;
    for (const auto& call : f.log->Calls())
        calls << QString::fromStdString(call);
    // The fake's gain is 0, which the window's slider hands back as its lowest, -80 dB.
    QCOMPARE(calls, (QStringList{"Stop", "SetOutputDeviceUid speakers", "SetVolume 0.0001 1"}));
    QSettings stored(QDir(f.dataFolder).filePath(QStringLiteral("general_settings.zarn")), QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("defaultOutputDeviceString")).toString(), QStringLiteral("speakers"));
    QVERIFY(qAbs(stored.value(QStringLiteral("defaultVolume")).toDouble() - 0.0001) < 1e-12);
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);

    // Every opening is a new window; the old one goes.
    QPointer<QObject> first = manager->GetQmlObject();
    QVERIFY(QMetaObject::invokeMethod(action, "trigger"));
    QVERIFY(f.controller->GetAudioManager()->GetQmlObject() != first.data());
    QTRY_VERIFY(!first);
}

void TestAudioManager::aDeviceTheEngineRefusesIsNotStored()
{
    // Listed when the window opened, unknown to the engine by OK: it went meanwhile.
    DeviceHook hook(Devices({"Speakers", "speakers", "Stage", "stage"}));
    MainWindowFixture f;
    f.UseFakeEngine();
    f.Create();
    QVERIFY(QMetaObject::invokeMethod(f.controller.get(), "ShowAudioManager_"));
    QObject* window = f.controller->GetAudioManager()->GetQmlObject();
    f.log->Clear();
    QQmlProperty::write(window, QStringLiteral("outputDeviceIndex"), 2);
    QVERIFY(QMetaObject::invokeMethod(window, "okay"));
    QStringList calls;
    for (const auto& call : f.log->Calls())
        calls << QString::fromStdString(call);
    QCOMPARE(calls, (QStringList{"Stop", "SetOutputDeviceUid stage"}));
    QTRY_COMPARE(MainWindowFixture::VisibleDialogs().size(), 1);
    QWindow* dialog = MainWindowFixture::VisibleDialogs().front();
    QCOMPARE(dialog->property("title").toString(), QStringLiteral("Error Updating Audio Settings"));
    QCOMPARE(dialog->property("text").toString(), QStringLiteral("Audio output device 'stage' is not available."));
    QVERIFY(!QFile::exists(QDir(f.dataFolder).filePath(QStringLiteral("general_settings.zarn"))));
}

void TestAudioManager::aWindowThatCannotBeMadeIsADialog()
{
    MainWindowFixture f;
    f.profile.makeEngine = [](const QString&) -> std::unique_ptr<Interface> {
        return std::make_unique<DeviceFailingEngine>();
    };
    f.Create();
    QVERIFY(QMetaObject::invokeMethod(f.controller.get(), "ShowAudioManager_"));
    QVERIFY(!f.controller->GetAudioManager());
    QTRY_COMPARE(MainWindowFixture::VisibleDialogs().size(), 1);
    QWindow* dialog = MainWindowFixture::VisibleDialogs().front();
    QCOMPARE(dialog->property("title").toString(), QStringLiteral("Error Configuring Audio"));
    QCOMPARE(dialog->property("text").toString(), QStringLiteral("The audio system is not answering."));
}

QTEST_MAIN(TestAudioManager)
#include "tst_audio_manager.moc"
