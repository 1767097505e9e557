// The "Event Log Manager" as the operator reaches it: from the main menu's "View Past Logs..."
// on the real main window and the real engine over a copy of the demo show, with the demo
// server root copied to a temporary folder and served in-process (file://).

#include "CapturedStream.h"
#include "ChangelogListModel.h"
#include "ChangelogManagerController.h"
#include "DialogController.h"
#include "EditController.h"
#include "MainWindowFixture.h"
#include "ShowManager.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <stdexcept>

using zarn::qt::ChangelogManagerController;
using zarn::qt::MusicalMainController;

namespace {

// The installed log rewritten as another version.
QByteArray InstalledLogAs(const MainWindowFixture& f, int major, int minor)
{
    QByteArray text = ReadAll(QDir(f.showFolder).filePath(QStringLiteral("lanterns-1.0.logdata")));
    const QByteArray from("\"version\":{\"major\":1,\"minor\":0}");
    if (!text.contains(from))
        throw std::runtime_error("the demo log's version is not 1.0");
    text.replace(from, QStringLiteral("\"version\":{\"major\":%1,\"minor\":%2}").arg(major).arg(minor).toUtf8());
    return text;
}

QString DialogTitle(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
}

QString DialogText(const zarn::qt::DialogController* dialog)
{
    return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("text").toString() : QString();
}

QList<QWindow*> ManagerWindows()
{
    QList<QWindow*> windows;
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->isVisible() && window->title() == QStringLiteral("Event Log Manager"))
            windows << window;
    }
    return windows;
}

} // namespace

class TestMusicalMainChangelogs : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void theMenuOpensTheManagerWithBothLists();
    void aLocalRowLoadsItsOwnFile();
    void aServerVersionIsFetchedLoadedAndPruned();
    void failuresAreShownAndTheRunGoesOn();
    void unreadableLocalLogKeepsTheLoadedOne();
    void serverVersionWithoutLinkKeepsTheManager();
    void openingTwiceLeavesOneWorkingWindow();
    void closingTheWindowReleasesTheManager();
    void destroyedWithTheManagerOpen();

private:
    // A copy of the demo server root, with the show pointed at it.
    void ServeDemoRoot();
    ChangelogManagerController* OpenFromMenu();
    void Select(const char* signal, int row);
    QString LoadedVersion() const;

    std::unique_ptr<MainWindowFixture> f;
    std::unique_ptr<QTemporaryDir> serverRoot_;
};

void TestMusicalMainChangelogs::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    f = std::make_unique<MainWindowFixture>();
    ServeDemoRoot();
}

void TestMusicalMainChangelogs::cleanup()
{
    f.reset();
    serverRoot_.reset();
}

void TestMusicalMainChangelogs::ServeDemoRoot()
{
    serverRoot_ = std::make_unique<QTemporaryDir>();
    QVERIFY(serverRoot_->isValid());
    std::filesystem::copy(CORVANE_DEMO_SERVER_ROOT, serverRoot_->path().toStdString(),
                          std::filesystem::copy_options::recursive);
    f->PointShowAt(QUrl::fromLocalFile(serverRoot_->path()).toString());
}

ChangelogManagerController* TestMusicalMainChangelogs::OpenFromMenu()
{
    QObject* menu = f->Window()->property("menu").value<QObject*>();
    QObject* action = menu ? menu->findChild<QObject*>(QStringLiteral("viewPastLogsAction")) : nullptr;
    if (!action || !QMetaObject::invokeMethod(action, "trigger"))
        return nullptr;
    return f->controller->GetChangelogManager();
}

// As "Load Selected" reports a row.
void TestMusicalMainChangelogs::Select(const char* signal, int row)
{
    ChangelogManagerController* manager = f->controller->GetChangelogManager();
    QVERIFY(manager);
    QVERIFY(QMetaObject::invokeMethod(manager->GetQmlObject(), signal, Q_ARG(int, row)));
}

QString TestMusicalMainChangelogs::LoadedVersion() const
{
    return QString::fromStdString(f->controller->GetEditController()->GetShowManager()->GetLogVersion());
}

void TestMusicalMainChangelogs::theMenuOpensTheManagerWithBothLists()
{
    f->Create();
    QVERIFY(!f->controller->GetChangelogManager());
    ChangelogManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    auto* window = qobject_cast<QQuickWindow*>(manager->GetQmlObject());
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->transientParent(), qobject_cast<QWindow*>(f->Window()));
    QCOMPARE(manager->GetLocalList()->VersionString(0), QStringLiteral("1.0"));
    QCOMPARE(manager->GetLocalList()->rowCount(), 1);
    QCOMPARE(manager->GetServerList()->rowCount(), 2);
    QCOMPARE(manager->GetServerList()->VersionString(1), QStringLiteral("2.0"));

    // The panes show the rows in version order.
    auto* serverPane = window->findChild<QQuickItem*>(QStringLiteral("serverPane"));
    QVERIFY(serverPane);
    auto* list = serverPane->property("listView").value<QQuickItem*>();
    QQuickItem* row = nullptr;
    QTRY_VERIFY((QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, 1)), row));
    auto* version = row->findChild<QQuickItem*>(QStringLiteral("versionText"));
    QVERIFY(version);
    QCOMPARE(version->property("text").toString(), QStringLiteral("2.0"));
}

void TestMusicalMainChangelogs::aLocalRowLoadsItsOwnFile()
{
    // Two files of version 0.3 (older than the installed 1.0, which the show loads): the row
    // chosen is the one loaded, whichever the folder lists first.
    QByteArray chosen = InstalledLogAs(*f, 0, 3);
    chosen.replace("Letter A", "Chosen A");
    Write(QDir(f->showFolder).filePath(QStringLiteral("zz-0.3.logdata")), chosen);
    QByteArray other = InstalledLogAs(*f, 0, 3);
    other.replace("\"modified\":1765324800", "\"modified\":1765324900");
    Write(QDir(f->showFolder).filePath(QStringLiteral("aa-0.3.logdata")), other);
    f->Create();
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));
    ChangelogManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    QPointer<QObject> window = manager->GetQmlObject();
    const zarn::qt::ChangelogListModel& local = *manager->GetLocalList();
    QCOMPARE(local.rowCount(), 3);
    int row = -1;
    for (int i = 0; i < local.rowCount(); ++i) {
        if (QFileInfo(local.FilePath(i)).fileName() == QStringLiteral("zz-0.3.logdata"))
            row = i;
    }
    QVERIFY(row >= 0);
    QSignalSpy attacca(f->controller.get(), &MusicalMainController::SignalAttaccaUpdate);

    Select("loadSelectedLocal", row);

    QCOMPARE(LoadedVersion(), QStringLiteral("0.3"));
    QCOMPARE(QFileInfo(QString::fromStdString(f->controller->GetEngine()->GetChangelogFilename())).fileName(),
             QStringLiteral("zz-0.3.logdata"));
    QCOMPARE(attacca.count(), 1);
    QVERIFY(!f->controller->GetChangelogManager());
    QTRY_VERIFY(!window);
    QVERIFY(ManagerWindows().isEmpty());
    QTRY_COMPARE(f->ChildProperty("editPanelControl", "logVersionText").toString(), QStringLiteral("Log v0.3"));
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
}

void TestMusicalMainChangelogs::aServerVersionIsFetchedLoadedAndPruned()
{
    f->Create();
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));
    // An older copy of 2.0 under another stem: the fetched one replaces it.
    const QString older = QDir(f->showFolder).filePath(QStringLiteral("old-2.0.logdata"));
    Write(older, InstalledLogAs(*f, 2, 0));
    std::filesystem::last_write_time(older.toStdString(),
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
    ChangelogManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    QPointer<QObject> window = manager->GetQmlObject();
    QCOMPARE(manager->GetServerList()->VersionString(1), QStringLiteral("2.0"));
    QSignalSpy attacca(f->controller.get(), &MusicalMainController::SignalAttaccaUpdate);

    Select("loadSelectedServer", 1);

    QCOMPARE(LoadedVersion(), QStringLiteral("2.0"));
    const QString fetched = QDir(f->showFolder).filePath(QStringLiteral("lanterns-2.0.logdata"));
    QVERIFY(QJsonDocument::fromJson(ReadAll(fetched)).isObject());
    QVERIFY(!QFileInfo::exists(older));
    QCOMPARE(attacca.count(), 1);
    QVERIFY(!f->controller->GetChangelogManager());
    QTRY_VERIFY(!window);
    QVERIFY(ManagerWindows().isEmpty());
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
}

// Each failure shows its dialog; the loaded log stays, and the program goes on.
void TestMusicalMainChangelogs::failuresAreShownAndTheRunGoesOn()
{
    f->Create();

    // No show folder: the manager cannot list it.
    const QString away = f->showFolder + QStringLiteral("-away");
    QVERIFY(QDir().rename(f->showFolder, away));
    QVERIFY(!OpenFromMenu());
    QVERIFY(QDir().rename(away, f->showFolder));
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Event Log Manager"));
    QVERIFY2(DialogText(f->controller->GetCurrentDialog()).startsWith(QStringLiteral("The past change logs cannot be listed: ")),
             qPrintable(DialogText(f->controller->GetCurrentDialog())));
    QTRY_VERIFY(ManagerWindows().isEmpty());

    // A shared version the engine refuses once fetched: the local log of that version, the
    // one loaded, is still the same file afterwards.
    Write(QDir(serverRoot_->path()).filePath(QStringLiteral("changelogs/lanterns-1.0.logdata")), "not a change log");
    const QString localLog = QDir(f->showFolder).filePath(QStringLiteral("lanterns-1.0.logdata"));
    const QByteArray localBytes = ReadAll(localLog);
    const QStringList folderBefore = QDir(f->showFolder).entryList(QDir::Files | QDir::Hidden);
    ChangelogManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    QCOMPARE(manager->GetServerList()->VersionString(0), QStringLiteral("1.0"));
    QSignalSpy attacca(f->controller.get(), &MusicalMainController::SignalAttaccaUpdate);
    Select("loadSelectedServer", 0);
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Download Error"));
    QVERIFY2(DialogText(f->controller->GetCurrentDialog()).startsWith(QStringLiteral("Log failed to download. ")),
             qPrintable(DialogText(f->controller->GetCurrentDialog())));
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));
    QCOMPARE(f->controller->GetChangelogManager(), manager);
    QCOMPARE(attacca.count(), 0);
    QCOMPARE(ReadAll(localLog), localBytes);
    QCOMPARE(QDir(f->showFolder).entryList(QDir::Files | QDir::Hidden), folderBefore);

    // Refused with no local copy of its version: the fetched file does not stay either.
    Write(QDir(serverRoot_->path()).filePath(QStringLiteral("changelogs/lanterns-2.0.logdata")), "not a change log");
    Select("loadSelectedServer", 1);
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Download Error"));
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));
    QCOMPARE(QDir(f->showFolder).entryList(QDir::Files | QDir::Hidden), folderBefore);

    // A download that cannot be written: a folder stands where the file would go.
    QVERIFY(QDir(f->showFolder).mkdir(QStringLiteral("lanterns-2.0.logdata")));
    Select("loadSelectedServer", 1);
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Download Error"));
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));
    QCOMPARE(f->controller->GetChangelogManager(), manager);

    // Still playing the show.
    QVERIFY(f->controller->GetEngine());
    f->controller->Play_();
    QTRY_VERIFY(f->controller->GetEngine()->GetIsPlaying());
    f->controller->Stop_();
}

void TestMusicalMainChangelogs::unreadableLocalLogKeepsTheLoadedOne()
{
    // Older than the installed 1.0, which the show loads.
    Write(QDir(f->showFolder).filePath(QStringLiteral("lanterns-0.5.logdata")), "not a change log");
    f->Create();
    ChangelogManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    QCOMPARE(manager->GetLocalList()->VersionString(0), QStringLiteral("0.5"));
    Select("loadSelectedLocal", 0);
    QCOMPARE(DialogTitle(f->controller->GetCurrentDialog()), QStringLiteral("Loading Edits Failed"));
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));
    QCOMPARE(f->controller->GetChangelogManager(), manager);

    // A listed file gone since: nothing happens.
    QVERIFY(QFile::remove(QDir(f->showFolder).filePath(QStringLiteral("lanterns-0.5.logdata"))));
    const QString before = DialogText(f->controller->GetCurrentDialog());
    Select("loadSelectedLocal", 0);
    QCOMPARE(f->controller->GetChangelogManager(), manager);
    QCOMPARE(DialogText(f->controller->GetCurrentDialog()), before);
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));

    // Rows that are not there select nothing.
    Select("loadSelectedLocal", 7);
    Select("loadSelectedServer", 7);
    QCOMPARE(f->controller->GetChangelogManager(), manager);
    QCOMPARE(DialogText(f->controller->GetCurrentDialog()), before);
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));
}

void TestMusicalMainChangelogs::serverVersionWithoutLinkKeepsTheManager()
{
    f->Create();
    ChangelogManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    // Withdrawn from the server since it was listed.
    QVERIFY(QFile::remove(QDir(serverRoot_->path()).filePath(QStringLiteral("changelogs/lanterns-2.0.logdata.enc"))));
    CapturedStderr err;
    Select("loadSelectedServer", 1);
    QCOMPARE(err.Text(), std::string("Server file does not exist.\n"));
    QCOMPARE(f->controller->GetChangelogManager(), manager);
    QCOMPARE(LoadedVersion(), QStringLiteral("1.0"));
    QCOMPARE(MainWindowFixture::VisibleDialogs().size(), 0);
}

void TestMusicalMainChangelogs::openingTwiceLeavesOneWorkingWindow()
{
    f->Create();
    ChangelogManagerController* first = OpenFromMenu();
    QVERIFY(first);
    QPointer<QObject> firstWindow = first->GetQmlObject();
    ChangelogManagerController* second = OpenFromMenu();
    QVERIFY(second && second != first);
    QTRY_VERIFY(!firstWindow);
    // The first one's closing did not release its successor.
    QCOMPARE(f->controller->GetChangelogManager(), second);
    QCOMPARE(ManagerWindows().size(), 1);

    Select("loadSelectedLocal", 0);
    QVERIFY(!f->controller->GetChangelogManager());
    QTRY_VERIFY(ManagerWindows().isEmpty());
}

void TestMusicalMainChangelogs::closingTheWindowReleasesTheManager()
{
    f->Create();
    ChangelogManagerController* manager = OpenFromMenu();
    QVERIFY(manager);
    auto* window = qobject_cast<QQuickWindow*>(manager->GetQmlObject());
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QPointer<QQuickWindow> watched = window;
    window->close();
    QVERIFY(!f->controller->GetChangelogManager());
    QTRY_VERIFY(!watched);
    // Opens again afterwards.
    QVERIFY(OpenFromMenu());
}

void TestMusicalMainChangelogs::destroyedWithTheManagerOpen()
{
    f->Create();
    QVERIFY(OpenFromMenu());
    f->Destroy();
    QVERIFY(ManagerWindows().isEmpty());
}

QTEST_MAIN(TestMusicalMainChangelogs)
#include "tst_musical_main_changelogs.moc"
