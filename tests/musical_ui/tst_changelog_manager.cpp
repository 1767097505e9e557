// The past change logs without the main window: the text splitter, the list model, the
// manager's listing and pruning of a show folder, and its requests against the reference
// server on loopback, over a show store in a temporary data folder.

#include "CapturedStream.h"
#include "ChangelogListModel.h"
#include "ChangelogManagerController.h"
#include "QmlModuleLoader.h"
#include "Served.h"
#include "ServerRootFixture.h"
#include "SplitString.h"
#include "TestFiles.h"
#include "UploadChangelog.h"
#include "zarn_core/ShowStore.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

using zarn::qt::ChangelogListModel;
using zarn::qt::ChangelogManagerController;
namespace fs = std::filesystem;

namespace {

// A change log as the core library reads it: its version and time stamp from the content.
QByteArray LogText(int major, int minor, quint32 modified)
{
    return QStringLiteral(R"({"format":"1.0","version":{"major":%1,"minor":%2},"modified":%3,"songs":{}})")
        .arg(major)
        .arg(minor)
        .arg(modified)
        .toUtf8();
}

CL::ChangeLog Log(std::uint16_t major, std::uint16_t minor, std::uint32_t modified)
{
    CL::ChangeLog log;
    log.version = cmn::ZARNVersion(major, minor);
    log.modified = modified;
    return log;
}

QStringList Versions(const ChangelogListModel& model)
{
    QStringList versions;
    for (int row = 0; row < model.rowCount(); ++row)
        versions << model.data(model.index(row), ChangelogListModel::VersionRole).toString();
    return versions;
}

QStringList EntriesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// A data folder with one installed show whose store points at `base`; the show folder holds
// the server root's credential, which opens the enciphered logs.
struct InstalledShow
{
    QTemporaryDir data;
    QString folderName = QStringLiteral("demo");
    std::shared_ptr<cmn::ShowStore> store;

    QString Folder() const { return QDir(data.path()).filePath(folderName); }
    QString File(const QString& name) const { return QDir(Folder()).filePath(name); }

    void Install(const QString& base, const ServerRootFixture* root = nullptr,
                 const std::string& authHash = ServerRootFixture::kAuth)
    {
        QDir().mkpath(Folder());
        if (root)
            Write(File(QStringLiteral("credential.json")), ReadAll(root->ShowFile(QStringLiteral("credential.json"))));
        cmn::ShowRecord record;
        record.id = "demo";
        record.folder = folderName.toStdString();
        record.showName = "Lanterns";
        record.customerName = "Hall Theatre";
        record.authHash = authHash;
        record.apiBaseUrl = base.toStdString();
        cmn::ShowStore::Write(data.path().toStdString(), record.id, {record});
        store = std::make_shared<cmn::ShowStore>(data.path().toStdString());
    }
};

} // namespace

class TestChangelogManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void splitString_data();
    void splitString();

    void modelRows();
    void modelModifiedText();
    void modelOutsideTheRows();

    void listsTheShowFolder();
    void pruneLeavesOneFilePerVersion_data();
    void pruneLeavesOneFilePerVersion();
    void pruneAndListWithoutAShowFolder();

    void roundTripWithTheServer();
    void encipheredVersionComesBackPlain();
    void failedListRequests_data();
    void failedListRequests();
    void serverListInVersionOrder();
    void unusableLinks_data();
    void unusableLinks();
    void downloadCutOffLeavesTheFolder();
    void silentServerCostsAtMostTheTimeout();
    void selectionSlotsPrintAndEmit();

private:
    std::unique_ptr<ChangelogManagerController> MakeManager(const InstalledShow& show);

    std::unique_ptr<QQmlApplicationEngine> qml_;
    std::unique_ptr<ServerRootFixture> root_;
    std::unique_ptr<InstalledShow> show_;
};

void TestChangelogManager::initTestCase()
{
    // The model's time texts are local time; the expected ones are UTC.
    qputenv("TZ", "UTC");
    tzset();
    qml_ = std::make_unique<QQmlApplicationEngine>();
    zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
}

void TestChangelogManager::init()
{
    root_ = std::make_unique<ServerRootFixture>();
    show_ = std::make_unique<InstalledShow>();
    QVERIFY(root_->IsValid() && show_->data.isValid());
}

void TestChangelogManager::cleanup()
{
    show_.reset();
    root_.reset();
    // The managers' windows go deferred.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

std::unique_ptr<ChangelogManagerController> TestChangelogManager::MakeManager(const InstalledShow& show)
{
    auto manager = std::make_unique<ChangelogManagerController>(qml_.get(), show.store, nullptr);
    new QAbstractItemModelTester(manager->GetLocalList(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 manager.get());
    new QAbstractItemModelTester(manager->GetServerList(), QAbstractItemModelTester::FailureReportingMode::QtTest,
                                 manager.get());
    return manager;
}

// --- the splitter ---

void TestChangelogManager::splitString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxCuts");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("a-b-c, no limit") << "a-b-c" << -1 << QStringList{"a", "b", "c"};
    QTest::newRow("a-b-c, one cut") << "a-b-c" << 1 << QStringList{"a", "b-c"};
    QTest::newRow("a-b-c, no cut") << "a-b-c" << 0 << QStringList{"a-b-c"};
    QTest::newRow("abc") << "abc" << -1 << QStringList{"abc"};
    QTest::newRow("empty") << "" << -1 << QStringList{""};
    QTest::newRow("a-") << "a-" << -1 << QStringList{"a", ""};
    QTest::newRow("-a") << "-a" << -1 << QStringList{"", "a"};
    QTest::newRow("a--b") << "a--b" << -1 << QStringList{"a", "", "b"};
}

void TestChangelogManager::splitString()
{
    QFETCH(QString, text);
    QFETCH(int, maxCuts);
    QFETCH(QStringList, pieces);
    QStringList got;
    for (const std::string& piece : zarn::qt::SplitString(text.toStdString(), '-', maxCuts))
        got << QString::fromStdString(piece);
    QCOMPARE(got, pieces);
}

// --- the model ---

void TestChangelogManager::modelRows()
{
    ChangelogListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.Append(Log(1, 10, 100));
    model.Append(Log(1, 0, 100));
    model.Append(Log(0, 2, 100));
    model.Append(Log(1, 0, 100)); // the same log again
    QCOMPARE(inserted.count(), 3);
    QCOMPARE(Versions(model), (QStringList{"1.10", "1.0", "0.2"}));
    // Same version, another time: another log.
    model.Append(Log(1, 0, 200));
    QCOMPARE(inserted.count(), 4);

    model.SortByVersion();
    QCOMPARE(changed.count(), 0);
    QCOMPARE(Versions(model), (QStringList{"0.2", "1.0", "1.0", "1.10"}));
    model.NotifyAllRowsChanged();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 0);
    QCOMPARE(changed.first().at(1).value<QModelIndex>().row(), 3);

    QCOMPARE(model.roleNames(), (QHash<int, QByteArray>{{257, "version"}, {258, "modified"}}));
    QVERIFY(!model.data(model.index(0), Qt::DisplayRole).isValid());
    QCOMPARE(model.rowCount(model.index(0)), 0);

    model.RemoveRow(1);
    QCOMPARE(Versions(model), (QStringList{"0.2", "1.0", "1.10"}));
    model.Clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(removed.count(), 4); // one notice per row
    model.NotifyAllRowsChanged(); // no rows to name: no notice
    QCOMPARE(changed.count(), 1);
}

void TestChangelogManager::modelModifiedText()
{
    ChangelogListModel model;
    model.Append(Log(2, 1, 1666893600));
    model.Append(Log(0, 0, 0));
    QCOMPARE(model.data(model.index(0), ChangelogListModel::ModifiedRole).toString(),
             QStringLiteral("Oct 27 2022 06:00 PM"));
    QCOMPARE(model.ModifiedString(0), QStringLiteral("Oct 27 2022 06:00 PM"));
    QCOMPARE(model.VersionString(0), QStringLiteral("2.1"));
    QCOMPARE(model.ModifiedString(1), QStringLiteral("Jan 01 1970 12:00 AM"));
}

void TestChangelogManager::modelOutsideTheRows()
{
    ChangelogListModel model;
    model.Append(Log(1, 0, 5));
    for (int row : {-1, 1, 100}) {
        QVERIFY(!model.data(model.index(0).siblingAtRow(row), ChangelogListModel::VersionRole).isValid());
        QCOMPARE(model.VersionString(row), QString());
        QCOMPARE(model.ModifiedString(row), QString());
        QCOMPARE(model.FilePath(row), QString());
    }
    // A server row names no file.
    QCOMPARE(model.FilePath(0), QString());
    model.RemoveRow(3);
    QCOMPARE(model.rowCount(), 1);
}

// --- the show folder ---

void TestChangelogManager::listsTheShowFolder()
{
    show_->Install(QStringLiteral("http://127.0.0.1:1"));
    const quint32 stamp = 1666893600;
    Write(show_->File("a-1.10.logdata"), LogText(1, 10, stamp));
    Write(show_->File("a-0.2.logdata"), LogText(0, 2, stamp));
    Write(show_->File("a-1.0.logdata"), LogText(1, 0, stamp));
    Write(show_->File("b-1.0.logdata"), LogText(1, 0, stamp));            // equal to a-1.0: one row
    Write(show_->File("c-1.0.logdata"), LogText(1, 0, stamp + 60));       // same version, another log
    Write(show_->File("broken-3.0.logdata"), "not a change log");         // listed by its write time
    Write(show_->File("X.LOGDATA"), LogText(4, 0, stamp));                // not a log name
    Write(show_->File("a-300.0.logdata"), LogText(5, 0, stamp));          // no version in 0..255
    Write(show_->File("sub/a-6.0.logdata"), LogText(6, 0, stamp));        // in a sub-folder
    QDir().mkpath(show_->File("folder-7.0.logdata"));                    // a folder named like a log
    const auto manager = MakeManager(*show_);
    const ChangelogListModel& local = *manager->GetLocalList();

    manager->LoadLocalLogs();

    QCOMPARE(Versions(local), (QStringList{"0.2", "1.0", "1.0", "1.10", "3.0"}));
    QCOMPARE(local.ModifiedString(0), QStringLiteral("Oct 27 2022 06:00 PM"));
    const QString broken = local.FilePath(4);
    QCOMPARE(QFileInfo(broken).fileName(), QStringLiteral("broken-3.0.logdata"));
    QCOMPARE(local.ModifiedString(4),
             ChangelogListModel::ModifiedText(static_cast<quint32>(QFileInfo(broken).lastModified().toSecsSinceEpoch())));

    // Listing again lists the same, once.
    manager->RefreshLocalList();
    QCOMPARE(Versions(local), (QStringList{"0.2", "1.0", "1.0", "1.10", "3.0"}));
}

void TestChangelogManager::pruneLeavesOneFilePerVersion_data()
{
    // Files as "name@age": age in milliseconds before now, "/" ending a folder; "*" marks the file to keep.
    QTest::addColumn<QString>("showFolder");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("older and newer 2.0") << "demo" << QStringList{"X-2.0.logdata@5000", "Y-2.0.logdata@1000"}
                                         << QStringList{"Y-2.0.logdata"};
    QTest::newRow("newer listed either way") << "demo" << QStringList{"X-2.0.logdata@1000", "Y-2.0.logdata@5000"}
                                             << QStringList{"X-2.0.logdata"};
    QTest::newRow("2.0 beside 2.1") << "demo" << QStringList{"X-2.0.logdata@5000", "X-2.1.logdata@1000"}
                                    << QStringList{"X-2.0.logdata", "X-2.1.logdata"};
    QTest::newRow("same second, full precision")
        << "demo" << QStringList{"X-2.0.logdata@400", "Y-2.0.logdata@100"} << QStringList{"Y-2.0.logdata"};
    QTest::newRow("kept file while older") << "demo" << QStringList{"X-2.0.logdata@5000*", "Y-2.0.logdata@1000"}
                                           << QStringList{"X-2.0.logdata"};
    QTest::newRow("upper-case extension") << "demo" << QStringList{"X-2.0.LOGDATA@5000", "Y-2.0.logdata@1000"}
                                          << QStringList{"X-2.0.LOGDATA", "Y-2.0.logdata"};
    QTest::newRow("sub-folder not entered")
        << "demo" << QStringList{"sub/", "sub/X-2.0.logdata@1000", "Y-2.0.logdata@5000"}
        << QStringList{"Y-2.0.logdata", "sub"};
    QTest::newRow("folder named like a log")
        << "demo" << QStringList{"Z-2.0.logdata/", "Y-2.0.logdata@5000"} << QStringList{"Y-2.0.logdata", "Z-2.0.logdata"};
    QTest::newRow("dashed folder, dashless names")
        << "show-a" << QStringList{"one.logdata@5000", "two.logdata@1000"} << QStringList{"one.logdata", "two.logdata"};
}

void TestChangelogManager::pruneLeavesOneFilePerVersion()
{
    QFETCH(QString, showFolder);
    QFETCH(QStringList, files);
    QFETCH(QStringList, left);
    show_->folderName = showFolder;
    show_->Install(QStringLiteral("http://127.0.0.1:1"));
    const auto now = fs::file_time_type::clock::now();
    fs::path keep;
    for (QString entry : files) {
        if (entry.endsWith(QLatin1Char('/'))) {
            QDir().mkpath(show_->File(entry.chopped(1)));
            continue;
        }
        const bool kept = entry.endsWith(QLatin1Char('*'));
        if (kept)
            entry.chop(1);
        const QString name = entry.section(QLatin1Char('@'), 0, 0);
        const int age = entry.section(QLatin1Char('@'), 1).toInt();
        const QString path = show_->File(name);
        Write(path, LogText(2, 0, 7));
        fs::last_write_time(path.toStdString(), now - std::chrono::milliseconds(age));
        if (kept)
            keep = path.toStdString();
    }
    const auto manager = MakeManager(*show_);

    manager->PruneOldLogs(keep);

    QCOMPARE(EntriesIn(show_->Folder()), left);
    // The sub-folder's contents are not the show's logs.
    if (files.contains(QStringLiteral("sub/")))
        QVERIFY(QFileInfo::exists(show_->File("sub/X-2.0.logdata")));
}

void TestChangelogManager::pruneAndListWithoutAShowFolder()
{
    show_->Install(QStringLiteral("http://127.0.0.1:1"));
    const auto manager = MakeManager(*show_);
    QVERIFY(QDir(show_->Folder()).removeRecursively());
    QVERIFY_THROWS_EXCEPTION(fs::filesystem_error, manager->LoadLocalLogs());
    QVERIFY_THROWS_EXCEPTION(fs::filesystem_error, manager->PruneOldLogs());
}

// --- the server ---

void TestChangelogManager::roundTripWithTheServer()
{
    const Served served = Serve(*root_, QStringLiteral("http"));
    QVERIFY(!served.base.isEmpty());
    show_->Install(served.base, root_.get());
    Write(show_->File("demo-1.0.logdata"), root_->PlainLog(1, 0));
    {
        const auto first = MakeManager(*show_);
        first->Open();
        QVERIFY(first->GetQmlObject()->property("visible").toBool());
        QCOMPARE(Versions(*first->GetServerList()), (QStringList{"1.0", "2.0"}));
        QCOMPARE(Versions(*first->GetLocalList()), QStringList{"1.0"});
        QCOMPARE(first->GetServerList()->ModifiedString(0),
                 ChangelogListModel::ModifiedText(1666893600 + 1000));
    }

    // A new version shared from elsewhere shows on the next opening, and comes back byte for byte.
    QTemporaryDir elsewhere;
    const QByteArray third = root_->PlainLog(3, 0);
    Write(QDir(elsewhere.path()).filePath("demo-3.0.logdata"), third);
    std::string why;
    QVERIFY2(zarn::networking::UploadChangelogTo(served.base.toStdString(), ServerRootFixture::kAccount,
                                                 "demo-3.0.logdata", 3, 0, ServerRootFixture::kAuth,
                                                 elsewhere.path().toStdString(), 1, &why),
             why.c_str());
    const auto second = MakeManager(*show_);
    second->Open();
    QCOMPARE(Versions(*second->GetServerList()), (QStringList{"1.0", "2.0", "3.0"}));

    CapturedStdout out;
    QCOMPARE(second->DownloadLogVersion("3.0"), std::string("demo-3.0.logdata"));
    QCOMPARE(ReadAll(show_->File("demo-3.0.logdata")), third);
    QVERIFY(QString::fromStdString(out.Text()).startsWith(served.base));
    second->RefreshLocalList();
    QCOMPARE(Versions(*second->GetLocalList()), (QStringList{"1.0", "3.0"}));
}

void TestChangelogManager::encipheredVersionComesBackPlain()
{
    const Served served = Serve(*root_, QStringLiteral("http"));
    QVERIFY(!served.base.isEmpty());
    show_->Install(served.base, root_.get());
    const auto manager = MakeManager(*show_);
    CapturedStdout out;
    QCOMPARE(manager->DownloadLogVersion("2.0"), std::string("demo-2.0.logdata"));
    QCOMPARE(ReadAll(show_->File("demo-2.0.logdata")), root_->PlainLog(2, 0));
}

void TestChangelogManager::failedListRequests_data()
{
    QTest::addColumn<QString>("base");         // empty: the reference server
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("authHash");
    QTest::addColumn<QByteArray>("cannedList"); // answers /changelogs when not empty
    QTest::addColumn<QString>("printed");
    const QByteArray auth(ServerRootFixture::kAuth);
    QTest::newRow("wrong credential") << "" << QStringList{} << QByteArray("00ff") << QByteArray()
                                      << "Networking Issue: API_UNAUTHORIZED\n";
    QTest::newRow("server error") << "" << QStringList{"--fail-path", "/changelogs"} << auth << QByteArray()
                                  << "Networking Issue: ";
    QTest::newRow("unreachable") << "http://127.0.0.1:1" << QStringList{} << auth << QByteArray()
                                 << "Networking Issue: ";
    QTest::newRow("malformed list") << "" << QStringList{} << auth << QByteArray("<html>") << "Networking Issue: ";
    QTest::newRow("unsafe entry") << "" << QStringList{} << auth
                                  << QByteArray(R"({"logs":[{"major":300,"minor":0,"date":0}]})")
                                  << "Networking Issue: ";
}

void TestChangelogManager::failedListRequests()
{
    QFETCH(QString, base);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, authHash);
    QFETCH(QByteArray, cannedList);
    QFETCH(QString, printed);
    Served served;
    if (base.isEmpty()) {
        if (!cannedList.isEmpty()) {
            const QString canned = QDir(root_->Root()).filePath(QStringLiteral("canned.json"));
            ServerRootFixture::WriteFile(canned, cannedList);
            arguments << QStringLiteral("--canned") << QStringLiteral("/changelogs=") + canned;
        }
        served = Serve(*root_, QStringLiteral("http"), arguments);
        QVERIFY(!served.base.isEmpty());
        base = served.base;
    }
    show_->Install(base, root_.get(), authHash.toStdString());
    Write(show_->File("demo-1.0.logdata"), root_->PlainLog(1, 0));
    const auto manager = MakeManager(*show_);

    CapturedStdout out;
    manager->Open();

    QCOMPARE(QString::fromStdString(out.Text()), printed);
    QCOMPARE(manager->GetServerList()->rowCount(), 0);
    QCOMPARE(Versions(*manager->GetLocalList()), QStringList{"1.0"});
    QVERIFY(manager->GetQmlObject()->property("visible").toBool());
}

void TestChangelogManager::serverListInVersionOrder()
{
    const QString canned = QDir(root_->Root()).filePath(QStringLiteral("canned.json"));
    ServerRootFixture::WriteFile(canned, R"({"logs":[{"major":1,"minor":0,"date":1666893600},)"
                                         R"({"major":0,"minor":3,"date":-5},{"major":2,"minor":0,"date":7},)"
                                         R"({"major":1,"minor":0,"date":1666893600}]})");
    const Served served =
        Serve(*root_, QStringLiteral("http"), {QStringLiteral("--canned"), QStringLiteral("/changelogs=") + canned});
    QVERIFY(!served.base.isEmpty());
    show_->Install(served.base, root_.get());
    const auto manager = MakeManager(*show_);
    manager->Open();
    const ChangelogListModel& server = *manager->GetServerList();
    QCOMPARE(Versions(server), (QStringList{"0.3", "1.0", "2.0"}));
    // The pane shows them in that order too: its rows are made once the list is sorted.
    auto* pane = manager->GetQmlObject()->findChild<QObject*>(QStringLiteral("serverPane"));
    QVERIFY(pane);
    auto* list = pane->property("listView").value<QObject*>();
    QQuickItem* first = nullptr;
    QTRY_VERIFY((QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, first), Q_ARG(int, 0)),
                 first));
    QCOMPARE(first->findChild<QObject*>(QStringLiteral("versionText"))->property("text").toString(),
             QStringLiteral("0.3"));
    // Before 1970 reads as 1970, not as a time in 2106.
    QCOMPARE(server.Rows().front().modified, 0u);
    QCOMPARE(server.ModifiedString(1), QStringLiteral("Oct 27 2022 06:00 PM"));
}

void TestChangelogManager::unusableLinks_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QByteArray>("cannedLink"); // answers /changelogs/<version>/link when not empty
    QTest::addColumn<QStringList>("arguments");
    const auto link = [](const char* fileName) {
        return QByteArray(R"({"major":3,"minor":0,"date":0,"link":"http://127.0.0.1:1/x","key":"","extra":"",)")
               + "\"fileName\":\"" + fileName + "\"}";
    };
    QTest::newRow("no such version") << "7.0" << QByteArray() << QStringList{};
    QTest::newRow("link refused") << "1.0" << QByteArray() << QStringList{"--fail-path", "/changelogs/1.0/link"};
    QTest::newRow("parent folder") << "3.0" << link("../x.logdata") << QStringList{};
    QTest::newRow("absolute path") << "3.0" << link("/tmp/x-3.0.logdata") << QStringList{};
    QTest::newRow("another version's name") << "3.0" << link("x-4.0.logdata") << QStringList{};
    QTest::newRow("no version in the name") << "3.0" << link("x.logdata") << QStringList{};
}

void TestChangelogManager::unusableLinks()
{
    QFETCH(QString, version);
    QFETCH(QByteArray, cannedLink);
    QFETCH(QStringList, arguments);
    if (!cannedLink.isEmpty()) {
        const QString canned = QDir(root_->Root()).filePath(QStringLiteral("link.json"));
        ServerRootFixture::WriteFile(canned, cannedLink);
        arguments << QStringLiteral("--canned") << QStringLiteral("/changelogs/%1/link=%2").arg(version, canned);
    }
    const Served served = Serve(*root_, QStringLiteral("http"), arguments);
    QVERIFY(!served.base.isEmpty());
    show_->Install(served.base, root_.get());
    const QStringList before = EntriesIn(show_->Folder());
    const QStringList dataBefore = EntriesIn(show_->data.path());
    const auto manager = MakeManager(*show_);

    CapturedStdout out;
    QCOMPARE(manager->DownloadLogVersion(version.toStdString()), std::string());

    QCOMPARE(out.Text(), std::string("Link was not successfully received.\n"));
    QCOMPARE(EntriesIn(show_->Folder()), before);
    QCOMPARE(EntriesIn(show_->data.path()), dataBefore);
}

void TestChangelogManager::downloadCutOffLeavesTheFolder()
{
    const Served served =
        Serve(*root_, QStringLiteral("http"), {QStringLiteral("--cut-path"), QStringLiteral("/changelogs/1.0/file")});
    QVERIFY(!served.base.isEmpty());
    show_->Install(served.base, root_.get());
    const QByteArray local = LogText(1, 0, 42);
    Write(show_->File("demo-1.0.logdata"), local);
    const auto manager = MakeManager(*show_);
    CapturedStdout out;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, manager->DownloadLogVersion("1.0"));
    QCOMPARE(ReadAll(show_->File("demo-1.0.logdata")), local);
    QCOMPARE(EntriesIn(show_->Folder()), (QStringList{"credential.json", "demo-1.0.logdata"}));
}

void TestChangelogManager::silentServerCostsAtMostTheTimeout()
{
    const Served served = Serve(*root_, QStringLiteral("http"),
                                {QStringLiteral("--slow-path"), QStringLiteral("/changelogs"), QStringLiteral("--slow-ms"),
                                 QStringLiteral("30000")});
    QVERIFY(!served.base.isEmpty());
    show_->Install(served.base, root_.get());
    Write(show_->File("demo-1.0.logdata"), root_->PlainLog(1, 0));
    const auto manager = MakeManager(*show_);
    CapturedStdout out;
    QElapsedTimer clock;
    clock.start();
    manager->Open();
    QVERIFY2(clock.elapsed() < 15000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(manager->GetServerList()->rowCount(), 0);
    QCOMPARE(Versions(*manager->GetLocalList()), QStringList{"1.0"});
    QVERIFY(manager->GetQmlObject()->property("visible").toBool());
}

void TestChangelogManager::selectionSlotsPrintAndEmit()
{
    show_->Install(QStringLiteral("http://127.0.0.1:1"));
    const auto manager = MakeManager(*show_);
    QSignalSpy local(manager.get(), &ChangelogManagerController::ChangelogLocalSelected);
    QSignalSpy server(manager.get(), &ChangelogManagerController::ChangelogServerSelected);
    QSignalSpy closing(manager.get(), &ChangelogManagerController::Closing);
    CapturedStdout out;
    QVERIFY(QMetaObject::invokeMethod(manager->GetQmlObject(), "loadSelectedLocal", Q_ARG(int, 3)));
    QVERIFY(QMetaObject::invokeMethod(manager->GetQmlObject(), "loadSelectedServer", Q_ARG(int, 1)));
    QCOMPARE(out.Text(), std::string("LoadSelectedLocal_(), index = 3\nLoadSelectedServer_(), index = 1\n"));
    QCOMPARE(local.count(), 1);
    QCOMPARE(local.first().first().toInt(), 3);
    QCOMPARE(server.count(), 1);
    QCOMPARE(server.first().first().toInt(), 1);
    manager->SetVisible(true);
    QVERIFY(QMetaObject::invokeMethod(manager->GetQmlObject(), "close"));
    QCOMPARE(closing.count(), 1);
}

QTEST_MAIN(TestChangelogManager)
#include "tst_changelog_manager.moc"
