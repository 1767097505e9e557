// Saving, sharing and fetching the newest shared change log from the main window, on the real
// window and the real engine over a copy of the demo show. Shares go to temporary copies of the
// demo server root, served in-process over file:// or by the reference server on loopback.

#include "DialogController.h"
#include "EditController.h"
#include "EditModel.h"
#include "MainWindowFixture.h"
#include "ReferenceServerProcess.h"
#include "ShowManager.h"
#include "TestFiles.h"
#include "zarn_core/Marker.h"
#include "zarn_core/ShowStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <filesystem>
#include <memory>
#include <stdexcept>

using zarn::qt::MusicalMainController;

namespace {

const QString kInstalledLog = QStringLiteral("lanterns-1.0.logdata");

QStringList LogNames(const QString& folder)
{
    QStringList names = QDir(folder).entryList({QStringLiteral("*.logdata")}, QDir::Files);
    names.sort();
    return names;
}

// A write may replace a file of the same name.
QStringList Plus(QStringList names, const QString& name)
{
    if (!names.contains(name))
        names << name;
    names.sort();
    return names;
}

QString DialogTitle(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
}

QString DialogText(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("text").toString() : QString();
}

// A copy of the demo server root, served over "file" (in-process) or "http" (the reference
// server on loopback).
struct DemoServer
{
    QTemporaryDir root;
    std::unique_ptr<ReferenceServerProcess> process;
    QString base;

    QString LogFolder() const { return QDir(root.path()).filePath(QStringLiteral("changelogs")); }

    // Replaces the shared logs by copies of the installed one named for these majors.
    void ShareMajors(const QList<int>& majors) const
    {
        const QByteArray log = ReadAll(QDir(LogFolder()).filePath(kInstalledLog));
        QDir(LogFolder()).removeRecursively();
        QDir().mkpath(LogFolder());
        for (int major : majors)
            Write(QDir(LogFolder()).filePath(QStringLiteral("lanterns-%1.0.logdata").arg(major)), log);
    }
};

std::unique_ptr<DemoServer> ServeDemoRoot(const QString& transport, const QStringList& serverArguments = {})
{
    auto server = std::make_unique<DemoServer>();
    if (!server->root.isValid())
        throw std::runtime_error("no temporary folder");
    std::filesystem::copy(CORVANE_DEMO_SERVER_ROOT, server->root.path().toStdString(),
                          std::filesystem::copy_options::recursive);
    if (transport == QLatin1String("file")) {
        server->base = QUrl::fromLocalFile(server->root.path()).toString();
        return server;
    }
    server->process = std::make_unique<ReferenceServerProcess>(server->root.path(), serverArguments);
    QString problem;
    if (!server->process->Start(&problem))
        throw std::runtime_error(problem.toStdString());
    server->base = server->process->BaseUrl();
    return server;
}

// Installs the show as the demo's, with its credential, talking to `base`.
void PointShowAt(const MainWindowFixture& f, const QString& base)
{
    const QString demoRoot = QStringLiteral(CORVANE_DEMO_SERVER_ROOT);
    const QJsonObject server = QJsonDocument::fromJson(ReadAll(demoRoot + QStringLiteral("/server.json"))).object();
    Write(QDir(f.showFolder).filePath(QStringLiteral("credential.json")),
          ReadAll(demoRoot + QStringLiteral("/show/credential.json")));
    cmn::ShowRecord record;
    record.id = "lanterns";
    record.folder = "lanterns";
    record.showName = "Lanterns";
    record.customerName = "Hall Theatre";
    record.authHash = server.value(QStringLiteral("authHash")).toString().toStdString();
    record.apiBaseUrl = base.toStdString();
    cmn::ShowStore::Write(f.dataFolder.toStdString(), record.id, {record});
}

// A marker in song 1, made as the edit panel makes it; its name shows up in a saved file.
void AddMarker(MainWindowFixture& f, const char* name)
{
    QTRY_COMPARE(f.WindowProperty("songTitle").toString(), QStringLiteral("Overture"));
    zarn::qt::EditController* edit = f.controller->GetEditController();
    QVERIFY(edit);
    const auto& engine = edit->GetPlayer();
    const std::uint32_t tick =
        engine->GetBarBeatByTick(edit->GetShowManager()->GetSongStartTickIndex("1") + 1920 * 3).tick();
    edit->onZarnMakeEvent(CL::Marker(tick + 1, name, "E-save"));
    QVERIFY(f.controller->HasUnsavedChanges());
}

QObject* EditBar(const MainWindowFixture& f)
{
    return f.Window()->findChild<QObject*>(QStringLiteral("editBar"));
}

bool SaveEnabled(const MainWindowFixture& f)
{
    auto* save = EditBar(f)->property("saveControl").value<QObject*>();
    return save && save->property("enabled").toBool();
}

struct Flags
{
    bool needsSave;
    bool needsUpload;
    bool operator==(const Flags&) const = default;
};

Flags FlagsOf(const MainWindowFixture& f)
{
    const auto& model = f.controller->GetEditController()->GetEditModel();
    return {model->needsSave, model->needsUpload};
}

QString LogVersionLabel(const MainWindowFixture& f)
{
    return f.ChildProperty("editPanelControl", "logVersionText").toString();
}

// The fake engine whose save fails as a full disk would.
class ThrowingSaveEngine : public TransportFakeEngine
{
public:
    std::string SaveChangelog(int, int) override { throw std::runtime_error("No space left on device"); }
};

} // namespace

namespace QTest {
template <>
char* toString(const Flags& flags)
{
    return qstrdup(qPrintable(QStringLiteral("needsSave %1, needsUpload %2").arg(flags.needsSave).arg(flags.needsUpload)));
}
} // namespace QTest

class TestMainWindowSaving : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWritesTheNextMinor_data();
    void saveWritesTheNextMinor();
    void engineThatThrowsOnSave();

    void shareWritesTheNextMajor_data();
    void shareWritesTheNextMajor();
    void refusedUploadKeepsTheFlags();
    void unreachableServer();

    void latestLogIsFetchedAndLoaded();
    void latestLogFailures_data();
    void latestLogFailures();

private:
    std::unique_ptr<MainWindowFixture> f;
};

void TestMainWindowSaving::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    f = std::make_unique<MainWindowFixture>();
}

void TestMainWindowSaving::cleanup()
{
    f.reset();
}

// --- save ---

void TestMainWindowSaving::saveWritesTheNextMinor_data()
{
    QTest::addColumn<QStringList>("localLogs"); // besides the installed 1.0
    QTest::addColumn<bool>("removeInstalled");  // after the show has loaded it
    QTest::addColumn<QString>("written");       // empty: refused
    QTest::newRow("after the installed 1.0") << QStringList{} << false << "lanterns-1.1.logdata";
    QTest::newRow("1.4 and 1.12") << QStringList{"lanterns-1.4.logdata", "lanterns-1.12.logdata"} << false
                                  << "lanterns-1.13.logdata";
    QTest::newRow("none") << QStringList{} << true << "lanterns-0.1.logdata";
    QTest::newRow("stray names skipped")
        << QStringList{"lanterns-300.1.logdata", "lanterns1.9.logdata", "lanterns-7.logdata"} << false
        << "lanterns-1.1.logdata";
    QTest::newRow("2.255 refused") << QStringList{"lanterns-2.255.logdata"} << false << "";
}

// Through the edit bar's Save, as the operator saves.
void TestMainWindowSaving::saveWritesTheNextMinor()
{
    QFETCH(QStringList, localLogs);
    QFETCH(bool, removeInstalled);
    QFETCH(QString, written);
    const QByteArray installed = ReadAll(QDir(f->showFolder).filePath(kInstalledLog));
    for (const QString& name : localLogs)
        Write(QDir(f->showFolder).filePath(name), installed);
    f->Create();
    if (removeInstalled)
        QVERIFY(QFile::remove(QDir(f->showFolder).filePath(kInstalledLog)));
    AddMarker(*f, "Saved marker");
    if (QTest::currentTestFailed())
        return;
    const QStringList before = LogNames(f->showFolder);
    QSignalSpy completed(f->controller.get(), &MusicalMainController::SaveCompleted);

    QVERIFY(QMetaObject::invokeMethod(EditBar(*f), "saveButton"));

    const QStringList after = LogNames(f->showFolder);
    if (written.isEmpty()) {
        QCOMPARE(after, before);
        QCOMPARE(completed.count(), 0);
        QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Save Failed"));
        QVERIFY2(DialogText(f->controller->GetCurrentDialog()).contains(QStringLiteral("2.255")),
                 qPrintable(DialogText(f->controller->GetCurrentDialog())));
        QCOMPARE(FlagsOf(*f), (Flags{true, true}));
        QVERIFY(SaveEnabled(*f));
        return;
    }
    QCOMPARE(after, Plus(before, written));
    QVERIFY(ReadAll(QDir(f->showFolder).filePath(written)).contains("Saved marker"));
    QCOMPARE(completed.count(), 1);
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Save Complete"));
    QCOMPARE(DialogText(f->controller->GetCurrentDialog()),
             QStringLiteral("These changes are only saved locally and are NOT distributed to your cast. We always "
                            "recommend sharing changes when possible."));
    // Saved, still to be shared.
    QCOMPARE(FlagsOf(*f), (Flags{false, true}));
    QVERIFY(!SaveEnabled(*f));
    const QString version = written.mid(9, written.size() - 9 - 8);
    QCOMPARE(LogVersionLabel(*f), QStringLiteral("Log v") + version);
    QCOMPARE(QString::fromStdString(f->controller->GetEditController()->GetShowManager()->GetLogVersion()), version);
}

void TestMainWindowSaving::engineThatThrowsOnSave()
{
    auto engine = std::make_unique<ThrowingSaveEngine>();
    auto pending = std::make_shared<std::unique_ptr<ThrowingSaveEngine>>(std::move(engine));
    f->profile.makeEngine = [pending](const QString&) -> std::unique_ptr<Interface> { return std::move(*pending); };
    f->Create();
    f->controller->GetEditController()->MarkChangeLogModified();
    QSignalSpy completed(f->controller.get(), &MusicalMainController::SaveCompleted);

    QVERIFY(QMetaObject::invokeMethod(EditBar(*f), "saveButton"));

    QCOMPARE(completed.count(), 0);
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Save Failed"));
    QCOMPARE(DialogText(f->controller->GetCurrentDialog()), QStringLiteral("No space left on device"));
    QCOMPARE(FlagsOf(*f), (Flags{true, true}));
    QVERIFY(f->controller->HasUnsavedChanges());
    // The bar turned Save off when it was pressed; the failure turns it back on.
    QVERIFY(SaveEnabled(*f));
    QCOMPARE(LogNames(f->showFolder), QStringList{kInstalledLog});
}

// --- share ---

void TestMainWindowSaving::shareWritesTheNextMajor_data()
{
    QTest::addColumn<QString>("transport");
    QTest::addColumn<QList<int>>("serverMajors");
    QTest::addColumn<QString>("written"); // empty: refused
    QTest::newRow("none shared") << "file" << QList<int>{} << "lanterns-1.0.logdata";
    QTest::newRow("0, 3, 2 over file") << "file" << QList<int>{0, 3, 2} << "lanterns-4.0.logdata";
    QTest::newRow("0, 3, 2 over http") << "http" << QList<int>{0, 3, 2} << "lanterns-4.0.logdata";
    QTest::newRow("255 refused") << "file" << QList<int>{3, 255} << "";
}

// Through the edit bar's Share.
void TestMainWindowSaving::shareWritesTheNextMajor()
{
    QFETCH(QString, transport);
    QFETCH(QList<int>, serverMajors);
    QFETCH(QString, written);
    const auto server = ServeDemoRoot(transport);
    server->ShareMajors(serverMajors);
    PointShowAt(*f, server->base);
    // The local minor versions have no say in the major a share takes.
    Write(QDir(f->showFolder).filePath(QStringLiteral("lanterns-7.3.logdata")),
          ReadAll(QDir(f->showFolder).filePath(kInstalledLog)));
    f->Create();
    AddMarker(*f, "Shared marker");
    if (QTest::currentTestFailed())
        return;
    const QStringList localBefore = LogNames(f->showFolder);
    const QStringList sharedBefore = LogNames(server->LogFolder());

    QVERIFY(QMetaObject::invokeMethod(EditBar(*f), "shareButton"));

    if (written.isEmpty()) {
        QCOMPARE(LogNames(f->showFolder), localBefore);
        QCOMPARE(LogNames(server->LogFolder()), sharedBefore);
        QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Save and Share Failed"));
        QVERIFY2(DialogText(f->controller->GetCurrentDialog()).contains(QStringLiteral("255")),
                 qPrintable(DialogText(f->controller->GetCurrentDialog())));
        QCOMPARE(FlagsOf(*f), (Flags{true, true}));
        QVERIFY(SaveEnabled(*f));
        return;
    }
    QCOMPARE(LogNames(f->showFolder), Plus(localBefore, written));
    const QByteArray local = ReadAll(QDir(f->showFolder).filePath(written));
    QVERIFY(local.contains("Shared marker"));
    QCOMPARE(ReadAll(QDir(server->LogFolder()).filePath(written)), local);
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Share Complete"));
    QCOMPARE(DialogText(f->controller->GetCurrentDialog()),
             QStringLiteral("Your edits are now available in Halvard and Corvane."));
    QCOMPARE(FlagsOf(*f), (Flags{false, false}));
    QCOMPARE(LogVersionLabel(*f), QStringLiteral("Log v") + written.mid(9, written.size() - 9 - 8));
}

// The server takes the list request and refuses the file: the new major stays saved and
// loaded, and the edits still count as unsaved and unshared.
void TestMainWindowSaving::refusedUploadKeepsTheFlags()
{
    // The demo server holds 1.0 and 2.0, so the share is 3.0.
    const auto server = ServeDemoRoot(QStringLiteral("http"), {QStringLiteral("--fail-path"), QStringLiteral("/changelogs/3.0")});
    PointShowAt(*f, server->base);
    f->Create();
    AddMarker(*f, "Refused marker");
    if (QTest::currentTestFailed())
        return;
    const QStringList sharedBefore = LogNames(server->LogFolder());

    f->controller->onSaveAndUploadButton();

    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Save and Share Failed"));
    QCOMPARE(DialogText(f->controller->GetCurrentDialog()),
             QStringLiteral("The edits failed to upload. Upload returned an error."));
    QVERIFY(ReadAll(QDir(f->showFolder).filePath(QStringLiteral("lanterns-3.0.logdata"))).contains("Refused marker"));
    QCOMPARE(LogNames(server->LogFolder()), sharedBefore);
    QCOMPARE(FlagsOf(*f), (Flags{true, true}));
    QVERIFY(SaveEnabled(*f));
    // The label tells which log is loaded now.
    QCOMPARE(LogVersionLabel(*f), QStringLiteral("Log v3.0"));
}

void TestMainWindowSaving::unreachableServer()
{
    PointShowAt(*f, QStringLiteral("http://127.0.0.1:1"));
    f->Create();
    AddMarker(*f, "Unsent marker");
    if (QTest::currentTestFailed())
        return;
    QVERIFY(QMetaObject::invokeMethod(EditBar(*f), "shareButton"));

    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Server Error on Save"));
    QCOMPARE(DialogText(f->controller->GetCurrentDialog()),
             QStringLiteral("Failed to get current log on server. Check internet connectivity?"));
    QCOMPARE(LogNames(f->showFolder), QStringList{kInstalledLog});
    QCOMPARE(FlagsOf(*f), (Flags{true, true}));
    QVERIFY(SaveEnabled(*f));
}

// --- the newest shared log ---

void TestMainWindowSaving::latestLogIsFetchedAndLoaded()
{
    // The demo's newest shared log, 2.0, is stored enciphered: the show's credential opens it.
    const auto server = ServeDemoRoot(QStringLiteral("file"));
    PointShowAt(*f, server->base);
    f->Create();
    AddMarker(*f, "Replaced marker");
    if (QTest::currentTestFailed())
        return;

    f->controller->GetLatestLogClicked_();

    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Download successful"));
    QCOMPARE(DialogText(f->controller->GetCurrentDialog()), QStringLiteral("Log version 2.0 has been downloaded."));
    const QByteArray fetched = ReadAll(QDir(f->showFolder).filePath(QStringLiteral("lanterns-2.0.logdata")));
    QVERIFY(QJsonDocument::fromJson(fetched).isObject());
    QCOMPARE(QString::fromStdString(f->controller->GetEditController()->GetShowManager()->GetLogVersion()),
             QStringLiteral("2.0"));
    QCOMPARE(LogVersionLabel(*f), QStringLiteral("Log v2.0"));
    // The loaded log replaced the edits without asking: nothing is left to save.
    QVERIFY(!f->controller->HasUnsavedChanges());
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 1);
}

void TestMainWindowSaving::latestLogFailures_data()
{
    QTest::addColumn<QString>("transport");
    QTest::addColumn<QStringList>("serverArguments");
    QTest::addColumn<bool>("noSharedLog");
    QTest::addColumn<bool>("unreadableLocalLog");
    QTest::addColumn<QString>("textStart");
    QTest::addColumn<bool>("fetched"); // lanterns-2.0.logdata was written
    QTest::newRow("nothing shared") << "file" << QStringList{} << true << false
                                    << "Log failed to download. Get Latest Log Version Failed. " << false;
    QTest::newRow("no link")
        << "http" << QStringList{QStringLiteral("--fail-path"), QStringLiteral("/changelogs/2.0/link")} << false
        << false << "Log failed to download. Latest Log Link Request Failed. " << false;
    // The newest local file is not the fetched one and cannot be read: the failure comes
    // after "Download successful" and takes its place.
    QTest::newRow("newest local log unreadable") << "file" << QStringList{} << false << true
                                                 << "Log failed to download. " << true;
}

void TestMainWindowSaving::latestLogFailures()
{
    QFETCH(QString, transport);
    QFETCH(QStringList, serverArguments);
    QFETCH(bool, noSharedLog);
    QFETCH(bool, unreadableLocalLog);
    QFETCH(QString, textStart);
    QFETCH(bool, fetched);
    const auto server = ServeDemoRoot(transport, serverArguments);
    if (noSharedLog)
        server->ShareMajors({});
    PointShowAt(*f, server->base);
    f->Create();
    if (unreadableLocalLog)
        Write(QDir(f->showFolder).filePath(QStringLiteral("lanterns-9.0.logdata")), "not a change log");
    f->controller->GetEditController()->MarkChangeLogModified();

    f->controller->GetLatestLogClicked_();
    MainWindowFixture::FlushDeletes();

    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 1);
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Download Error"));
    const QString text = DialogText(f->controller->GetCurrentDialog());
    QVERIFY2(text.startsWith(textStart) && text.size() > textStart.size(), qPrintable(text));
    QCOMPARE(QFileInfo::exists(QDir(f->showFolder).filePath(QStringLiteral("lanterns-2.0.logdata"))), fetched);
    // The loaded log and the edits stay.
    QCOMPARE(QString::fromStdString(f->controller->GetEditController()->GetShowManager()->GetLogVersion()),
             QStringLiteral("1.0"));
    QCOMPARE(FlagsOf(*f), (Flags{true, true}));
}

QTEST_MAIN(TestMainWindowSaving)
#include "tst_main_window_saving.moc"
