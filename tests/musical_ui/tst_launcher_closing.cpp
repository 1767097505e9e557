// How a run ends: the launcher's answer to a close of the main window, with and without
// unsaved edits, on the real prompt, the real window and the real engine over a copy of the
// demo show. Whether the run ends is read from the event loop, as the start-up's exec() would
// see it.

#include "DialogController.h"
#include "EditController.h"
#include "FreeOscPort.h"
#include "IsolatedDataHome.h"
#include "Launcher.h"
#include "MusicalMainController.h"
#include "QmlModuleLoader.h"
#include "QuitProbe.h"
#include "ShowManager.h"
#include "TestPlayerProfile.h"
#include "zarn_core/Marker.h"
#include "zarn_core/ShowStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <optional>

using zarn::qt::Launcher;
using zarn::qt::MusicalMainController;

namespace {

QMap<QString, QByteArray> Logs(const QString& folder)
{
    QMap<QString, QByteArray> logs;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.logdata")}, QDir::Files);
    for (const QString& name : names) {
        QFile file(QDir(folder).filePath(name));
        logs.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable"));
    }
    return logs;
}

// The unsaved-changes prompt on screen, if any.
QQuickWindow* Prompt()
{
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->property("negateButtonText").isValid())
            return qobject_cast<QQuickWindow*>(window);
    }
    return nullptr;
}

bool Click(QQuickWindow* window, const char* name)
{
    auto* item = window->findChild<QQuickItem*>(QString::fromLatin1(name));
    if (!item || !item->isVisible() || !item->isEnabled())
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

// The launcher as the start-up makes it, over the demo show, with a server that refuses at
// once so the main window opens straight away.
struct LauncherFixture
{
    LauncherFixture()
        : qml(std::make_unique<QQmlApplicationEngine>())
    {
        zarn::qt::QmlModuleLoader::PrepareEngine(*qml);
        auto owned = std::make_unique<TestPlayerProfile>();
        profile = owned.get();
        const QString dataFolder = profile->GetDataFolder();
        showFolder = QDir(dataFolder).filePath(QStringLiteral("lanterns"));
        std::filesystem::copy(CORVANE_DEMO_SHOW, showFolder.toStdString(), std::filesystem::copy_options::recursive);
        cmn::ShowRecord record;
        record.id = "lanterns";
        record.folder = "lanterns";
        record.showName = "Lanterns";
        record.customerName = "Hall Theatre";
        record.authHash = "00";
        record.apiBaseUrl = "http://127.0.0.1:1";
        cmn::ShowStore::Write(dataFolder.toStdString(), record.id, {record});
        UseFreeOscPort(dataFolder.toStdString());
        launcher = std::make_unique<Launcher>(qml.get(), std::move(owned), nullptr);
    }

    ~LauncherFixture()
    {
        launcher.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qml.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    MusicalMainController* Main() const { return launcher->GetMainController(); }
    QQuickWindow* MainWindow() const { return qobject_cast<QQuickWindow*>(Main()->GetQmlObject()); }

    QString CurrentDialogTitle() const
    {
        const zarn::qt::DialogController* dialog = Main()->GetCurrentDialog();
        return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
    }

    // A marker in song 1, as the edit panel adds it.
    void AddMarker()
    {
        QTRY_COMPARE(MainWindow()->property("songTitle").toString(), QStringLiteral("Overture"));
        zarn::qt::EditController* edit = Main()->GetEditController();
        const std::uint32_t tick =
            edit->GetPlayer()->GetBarBeatByTick(edit->GetShowManager()->GetSongStartTickIndex("1") + 1920 * 3).tick();
        edit->onZarnMakeEvent(CL::Marker(tick + 1, "Kept marker", "E-close"));
        QVERIFY(Main()->HasUnsavedChanges());
    }

    // The main window's close with edits brings up the prompt and nothing else.
    QQuickWindow* RequestCloseExpectingPrompt()
    {
        const std::optional<int> quit = QuitCodeOf([&] { MainWindow()->close(); });
        if (quit) {
            qWarning("the run ended without asking");
            return nullptr;
        }
        QQuickWindow* prompt = Prompt();
        if (prompt && !QTest::qWaitForWindowExposed(prompt))
            return nullptr;
        return prompt;
    }

    IsolatedDataHome home;
    std::unique_ptr<QQmlApplicationEngine> qml;
    TestPlayerProfile* profile = nullptr;
    QString showFolder;
    std::unique_ptr<Launcher> launcher;
};

} // namespace

class TestLauncherClosing : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
        QTest::failOnWarning(QRegularExpression(QStringLiteral("ended without asking")));
    }

    void withoutEditsTheRunEndsAtOnce()
    {
        LauncherFixture f;
        QVERIFY(f.Main());
        QTRY_COMPARE(f.MainWindow()->property("songTitle").toString(), QStringLiteral("Overture"));
        const auto logs = Logs(f.showFolder);

        QCOMPARE(QuitCodeOf([&] { f.MainWindow()->close(); }), std::optional<int>(0));
        QVERIFY(!Prompt());
        QCOMPARE(Logs(f.showFolder), logs);
    }

    void promptAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("saves");
        QTest::newRow("Cancel") << "negateButton" << false << false;
        QTest::newRow("Escape") << "escape" << false << false;
        QTest::newRow("title-bar close") << "titleBar" << false << false;
        QTest::newRow("Close Without Saving") << "cancelButton" << true << false;
        QTest::newRow("Save and Close") << "acceptButton" << true << true;
    }

    void promptAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(bool, ends);
        QFETCH(bool, saves);
        LauncherFixture f;
        f.AddMarker();
        if (QTest::currentTestFailed())
            return;
        const auto logs = Logs(f.showFolder);

        QQuickWindow* prompt = f.RequestCloseExpectingPrompt();
        QVERIFY(prompt);
        QCOMPARE(prompt->property("title").toString(), QStringLiteral("Unsaved Changes"));
        QCOMPARE(prompt->property("text").toString(),
                 QStringLiteral("You have unsaved changes.  If you quit now, they will be lost forever."));
        QCOMPARE(prompt->property("type").toString(), QStringLiteral("warning"));
        QCOMPARE(prompt->property("cancelButtonText").toString(), QStringLiteral("Close Without Saving"));
        QCOMPARE(prompt->property("acceptButtonText").toString(), QStringLiteral("Save and Close"));
        QCOMPARE(prompt->property("negateButtonText").toString(), QStringLiteral("Cancel"));
        QCOMPARE(prompt->property("showInputField").toBool(), false);

        const std::optional<int> quit = QuitCodeOf([&] {
            if (answer == QLatin1String("escape")) {
                prompt->requestActivate();
                QVERIFY(QTest::qWaitForWindowActive(prompt));
                QTest::keyClick(prompt, Qt::Key_Escape);
            } else if (answer == QLatin1String("titleBar")) {
                prompt->close();
            } else {
                QVERIFY(Click(prompt, answer.toLatin1().constData()));
            }
        });
        if (QTest::currentTestFailed())
            return;

        if (!ends) {
            QCOMPARE(quit, std::nullopt);
            QVERIFY(!Prompt());
            QVERIFY(f.MainWindow()->isVisible());
            QVERIFY(f.Main()->HasUnsavedChanges());
            QCOMPARE(Logs(f.showFolder), logs);
            // A save now is only a save, and a later close asks again.
            QCOMPARE(QuitCodeOf([&] { f.Main()->onSaveButton(); }), std::nullopt);
            QCOMPARE(f.CurrentDialogTitle(), QStringLiteral("Save Complete"));
            f.AddMarker();
            QQuickWindow* again = f.RequestCloseExpectingPrompt();
            QVERIFY(again);
            QCOMPARE(QuitCodeOf([&] { QVERIFY(Click(again, "cancelButton")); }), std::optional<int>(0));
            return;
        }
        QCOMPARE(quit, std::optional<int>(0));
        auto expected = logs;
        if (saves) {
            const QString written = QStringLiteral("lanterns-1.1.logdata");
            const auto now = Logs(f.showFolder);
            QVERIFY(now.value(written).contains("Kept marker"));
            expected.insert(written, now.value(written));
        }
        QCOMPARE(Logs(f.showFolder), expected);
        // The prompt's window goes once the answer is out.
        QTRY_VERIFY(!Prompt());
    }

    // A directory where the next log would go makes "Save and Close" fail: the window stays
    // with the edits, and a later successful save does not end the run.
    void failedSaveAndCloseKeepsTheRunGoing()
    {
        LauncherFixture f;
        f.AddMarker();
        if (QTest::currentTestFailed())
            return;
        const QString blocked = QDir(f.showFolder).filePath(QStringLiteral("lanterns-1.1.logdata"));
        QVERIFY(QDir().mkdir(blocked));
        QQuickWindow* prompt = f.RequestCloseExpectingPrompt();
        QVERIFY(prompt);

        QCOMPARE(QuitCodeOf([&] { QVERIFY(Click(prompt, "acceptButton")); }), std::nullopt);
        QCOMPARE(f.CurrentDialogTitle(), QStringLiteral("Save Failed"));
        QVERIFY(f.MainWindow()->isVisible());
        QVERIFY(f.Main()->HasUnsavedChanges());

        QVERIFY(QDir().rmdir(blocked));
        QCOMPARE(QuitCodeOf([&] { f.Main()->onSaveButton(); }), std::nullopt);
        QCOMPARE(f.CurrentDialogTitle(), QStringLiteral("Save Complete"));
        QVERIFY(QFileInfo(blocked).isFile());
        QVERIFY(!f.Main()->HasUnsavedChanges());
    }
};

QTEST_MAIN(TestLauncherClosing)
#include "tst_launcher_closing.moc"
