// The output paths window in the main window over the real engine and the demo show: built
// hidden by the show load, shown on the window's request, and a path made or deleted there
// reaching the engine, the needs-save flag and, through a save, the next show load.
#include "DeviceControlWin32.h"
#include "EditController.h"
#include "Interface.h"
#include "MainWindowFixture.h"
#include "OutputPathsManagerController.h"
#include "OutputPathsModel.h"

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

using zarn::audio::AudioDevice;
using zarn::audio::DeviceControlWin32;
using zarn::qt::MusicalMainController;
using zarn::qt::OutputPathsManagerController;

namespace {

QQuickWindow* PathsWindow(const MainWindowFixture& f)
{
    OutputPathsManagerController* manager = f.controller->GetOutputPathsManager();
    return manager ? qobject_cast<QQuickWindow*>(manager->GetQmlObject()) : nullptr;
}

QStringList PathNames(const MainWindowFixture& f)
{
    QStringList names;
    const auto* model = f.controller->GetOutputPathsManager()->GetModel();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->PathName(row);
    return names;
}

bool SaveEnabled(const MainWindowFixture& f)
{
    auto* editBar = f.Window()->findChild<QObject*>(QStringLiteral("editBar"));
    auto* save = editBar ? editBar->property("saveControl").value<QObject*>() : nullptr;
    return save && save->property("enabled").toBool();
}

void Save(MainWindowFixture& f)
{
    QSignalSpy completed(f.controller.get(), &MusicalMainController::SaveCompleted);
    auto* editBar = f.Window()->findChild<QObject*>(QStringLiteral("editBar"));
    QVERIFY(QMetaObject::invokeMethod(editBar, "saveButton"));
    QCOMPARE(completed.count(), 1);
}

} // namespace

class TestOutputPathsMain : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void builtHiddenAndShownOnRequest();
    void aNewPathIsAnEditThatSurvivesReload();
    void aDeletedPathStaysDeleted();

private:
    std::unique_ptr<MainWindowFixture> f;
};

void TestOutputPathsMain::init()
{
    DeviceControlWin32::SetDevicesForTesting(
        std::vector<AudioDevice>{{"Null Output", "null-a"}, {"Null Output", "null-b"}});
    f = std::make_unique<MainWindowFixture>();
}

void TestOutputPathsMain::cleanup()
{
    f.reset();
    DeviceControlWin32::SetDevicesForTesting(std::nullopt);
}

void TestOutputPathsMain::builtHiddenAndShownOnRequest()
{
    f->Create();
    QQuickWindow* window = PathsWindow(*f);
    QVERIFY(window);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->transientParent(), qobject_cast<QWindow*>(f->Window()));
    QVERIFY2(!f->controller->HasUnsavedChanges(), "a show load marks nothing");
    QVERIFY(QMetaObject::invokeMethod(f->Window(), "outputPathsOpened"));
    QTRY_VERIFY(window->isVisible());
    QCOMPARE(PathNames(*f), QStringList{QStringLiteral("Main")});
    QCOMPARE(window->property("currentIndex").toInt(), 0);
    // This edition makes no mixer: its tab stays hidden.
    auto* mixerTab = f->Window()->findChild<QQuickItem*>(QStringLiteral("mixerTab"));
    QVERIFY(mixerTab);
    QVERIFY(!mixerTab->isVisible());
    QVERIFY(!f->controller->GetMixerController());
}

void TestOutputPathsMain::aNewPathIsAnEditThatSurvivesReload()
{
    f->Create();
    QVERIFY(!SaveEnabled(*f));
    QQuickWindow* window = PathsWindow(*f);
    QVERIFY(QMetaObject::invokeMethod(f->Window(), "outputPathsOpened"));
    QTRY_VERIFY(window->isVisible());
    // Made in the form on the second of two devices of one name.
    auto* tool = window->property("pathTool").value<QQuickWindow*>();
    QVERIFY(QMetaObject::invokeMethod(window, "openNewPath"));
    tool->setProperty("pathName", QStringLiteral("Booth"));
    tool->setProperty("pathDeviceIndex", 2);
    QVERIFY(QMetaObject::invokeMethod(tool, "accept"));

    const auto& engine = f->controller->GetEngine();
    std::string id;
    for (const auto& [pathId, path] : engine->GetOutputPathMap()) {
        if (path.GetName() == "Booth")
            id = pathId;
    }
    QVERIFY2(!id.empty(), "the engine has the new path");
    QCOMPARE(engine->GetOutputPathMap().at(id).GetDeviceId(), std::string("null-b"));
    QVERIFY(SaveEnabled(*f));
    QVERIFY2(f->controller->HasUnsavedChanges(), "closing would now ask first");

    Save(*f);
    f->Destroy();
    f->Create();
    // In id order: the new path's UUID against the demo's "main".
    QCOMPARE(PathNames(*f).size(), 2);
    QVERIFY(PathNames(*f).contains(QStringLiteral("Main")));
    QVERIFY(PathNames(*f).contains(QStringLiteral("Booth")));
    const auto* model = f->controller->GetOutputPathsManager()->GetModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->PathName(row) == QStringLiteral("Booth")) {
            QCOMPARE(model->PathDeviceId(row), QStringLiteral("null-b"));
            QCOMPARE(model->PathDeviceName(row), QStringLiteral("Null Output"));
        }
    }
    QVERIFY(!f->controller->HasUnsavedChanges());
}

void TestOutputPathsMain::aDeletedPathStaysDeleted()
{
    f->Create();
    QQuickWindow* window = PathsWindow(*f);
    window->setProperty("currentIndex", 0);
    QVERIFY(QMetaObject::invokeMethod(window, "deleteOutputPath"));
    QVERIFY(PathNames(*f).isEmpty());
    QVERIFY(f->controller->GetEngine()->GetOutputPathMap().empty());
    QVERIFY(f->controller->HasUnsavedChanges());
    Save(*f);
    f->Destroy();
    f->Create();
    QVERIFY2(PathNames(*f).isEmpty(), qPrintable(PathNames(*f).join(',')));

    // Made again, a path comes back as it did before.
    f->controller->GetOutputPathsManager()->onPathCreationRequest(QStringLiteral("Main"), QStringLiteral("(default)"));
    QCOMPARE(PathNames(*f), QStringList{QStringLiteral("Main")});
    QCOMPARE(f->controller->GetEngine()->GetOutputPathMap().size(), std::size_t(1));
}

QTEST_MAIN(TestOutputPathsMain)
#include "tst_output_paths_main.moc"
