// The sound-effect windows with real sound: two tones packed by the packager's controller,
// read by the test host, listed by the manager window, created through the instance tool and
// auditioned through Qt Multimedia into a PulseAudio null sink; then the active-audio list
// over the same host. Skipped with its reason where PulseAudio cannot run.
#include "PackagerController.h"
#include "PulseNullSink.h"
#include "QmlModuleLoader.h"
#include "SfxTestHelpers.h"
#include "SfxTestHost.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMediaPlayer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

// Started before the application object, so Qt Multimedia finds it on first use.
PulseNullSink* g_sink = nullptr;

using zarn::testing::Click;
using zarn::testing::FindItem;
using zarn::testing::WriteTone;

bool HasSinkInput()
{
    const QString inputs = g_sink->SinkInputs().trimmed();
    if (qEnvironmentVariableIsSet("SFX_DEBUG"))
        qInfo("sink inputs: %s", qPrintable(inputs));
    return !inputs.isEmpty();
}

} // namespace

class TestSfxRealSound : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<QQmlEngine> qml_;
    std::unique_ptr<zarn::testing::SfxTestHost> host_;
    std::unique_ptr<QObject> manager_;
    std::unique_ptr<QObject> tool_;

    QQuickWindow* Manager() const { return qobject_cast<QQuickWindow*>(manager_.get()); }
    QQuickWindow* Tool() const { return qobject_cast<QQuickWindow*>(tool_.get()); }

    std::unique_ptr<QObject> Create(const QString& type) { return zarn::testing::CreateZarnUi(*qml_, type); }

    QQuickItem* Row(const QString& eventId) { return FindItem(Manager(), "instanceRow_" + eventId); }
    QQuickItem* PlayButtonOf(const QString& eventId) { return FindItem(Row(eventId), "playButton"); }

    QStringList Playing() const { return manager_->property("playing").toStringList(); }
    bool ButtonsOn(bool create, bool modify)
    {
        return FindItem(Manager(), "createButton")->isEnabled() == create
            && FindItem(Manager(), "editButton")->isEnabled() == modify
            && FindItem(Manager(), "deleteButton")->isEnabled() == modify
            && FindItem(Manager(), "closeButton")->isEnabled();
    }

    // As the operator creates an instance: the source row clicked in the manager, Create, then
    // in the instance tool the loop box set and OK.
    QString CreateThroughTool(int sourceRow, bool loop)
    {
        const int before = int(host_->Instances().size());
        auto* sources = FindItem(Manager(), "sourceList");
        QQuickItem* row = nullptr;
        QMetaObject::invokeMethod(sources, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, sourceRow));
        if (!Click(row) || !Click(FindItem(Manager(), "createButton")))
            return {};
        if (!QTest::qWaitFor([&] { return Tool()->isVisible(); }, 5000) || !QTest::qWaitForWindowExposed(Tool()))
            return {};
        if (tool_->property("effectIdIndex").toInt() != sourceRow)
            return {};
        tool_->setProperty("loop", loop);
        if (!Click(FindItem(Tool(), "okButton")) || int(host_->Instances().size()) != before + 1)
            return {};
        return host_->Instances().back().eventId;
    }

private slots:
    void initTestCase()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot run here: " + g_sink->Problem()));
        const QString tones = dir_.filePath("tones");
        QVERIFY(QDir().mkpath(tones));
        WriteTone(QDir(tones).filePath("blip.wav"), 0.5, 880.0);
        WriteTone(QDir(tones).filePath("thunder.wav"), 3.0, 110.0);

        // Packed as the packager's SFX tab packs them.
        zarn::tools::PackagerController packager;
        packager.setSfxSourceDirectory(tones);
        packager.setSfxDestinationDirectory(dir_.filePath("sfx"));
        packager.packageSfx();
        QTRY_VERIFY_WITH_TIMEOUT(packager.message(), 10000);
        QVERIFY2(packager.messageBody().startsWith("Packed 2 sound effects"), qPrintable(packager.messageBody()));

        host_ = std::make_unique<zarn::testing::SfxTestHost>();
        QVERIFY(host_->LoadFolder(dir_.filePath("sfx")));
        QCOMPARE(host_->SourceModel()->rowCount(), 2);

        qml_ = std::make_unique<QQmlEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
        manager_ = Create(QStringLiteral("SfxManagerTool"));
        QVERIFY(manager_);
        host_->AttachManager(manager_.get());
        QVERIFY(QTest::qWaitForWindowExposed(Manager()));
        tool_ = Create(QStringLiteral("StandaloneSfxTool"));
        QVERIFY(tool_);
        host_->AttachInstanceTool(tool_.get());
    }

    void cleanupTestCase()
    {
        tool_.reset();
        manager_.reset();
        host_.reset();
        qml_.reset();
    }

    void managerListsBothSources()
    {
        auto* sources = qobject_cast<QQuickItem*>(FindItem(Manager(), "sourceList"));
        QVERIFY(sources);
        QCOMPARE(sources->property("count").toInt(), 2);
        QCOMPARE(manager_->property("selectedSfxEffectId").toString(), QStringLiteral("blip"));
    }

    void shortEffectPlaysAndEndsByItself()
    {
        const QString id = CreateThroughTool(0, false);
        QVERIFY(!id.isEmpty());
        QVERIFY(!Tool()->isVisible());
        QTRY_VERIFY(Row(id));
        QCOMPARE(host_->Instances().back().repeats, 0);
        QVERIFY(!HasSinkInput());

        QElapsedTimer sinceClick;
        sinceClick.start();
        QVERIFY(Click(PlayButtonOf(id)));
        QTRY_VERIFY_WITH_TIMEOUT(host_->IsPlaying(id), 5000);
        const qint64 playingAfter = sinceClick.elapsed();
        QTRY_VERIFY_WITH_TIMEOUT(HasSinkInput(), 5000);
        qInfo("audition start: playing state %lld ms, stream on the server %lld ms after the click", playingAfter,
              sinceClick.elapsed());
        QVERIFY(PlayButtonOf(id)->property("playing").toBool());
        QCOMPARE(Playing(), QStringList{id});
        QVERIFY(ButtonsOn(false, false));

        // The 0.5 s tone ends by itself: the play symbol and the buttons come back.
        QTRY_VERIFY_WITH_TIMEOUT(Playing().isEmpty(), 5000);
        QVERIFY(!PlayButtonOf(id)->property("playing").toBool());
        QVERIFY(ButtonsOn(true, true));
        QTRY_VERIFY_WITH_TIMEOUT(!HasSinkInput(), 5000);
    }

    void loopingEffectPlaysUntilItsButtonStopsIt()
    {
        const QString id = CreateThroughTool(0, true);
        QVERIFY(!id.isEmpty());
        QCOMPARE(host_->Instances().back().repeats, -1);
        QTRY_VERIFY(Row(id));
        QVERIFY(Click(PlayButtonOf(id)));
        QMediaPlayer* player = nullptr;
        QTRY_VERIFY((player = host_->Instances()[host_->RowOf(id)].player));
        int wraps = 0;
        qint64 last = 0;
        connect(player, &QMediaPlayer::positionChanged, this, [&](qint64 position) {
            if (position + 100 < last)
                ++wraps;
            last = position;
        });
        // Past the end of the 0.5 s tone, twice over, and still playing.
        QTRY_VERIFY_WITH_TIMEOUT(wraps >= 2, 10000);
        QVERIFY(host_->IsPlaying(id));
        QCOMPARE(Playing(), QStringList{id});

        QVERIFY(Click(PlayButtonOf(id)));
        QTRY_VERIFY_WITH_TIMEOUT(!host_->IsPlaying(id), 5000);
        QCOMPARE(Playing(), QStringList());
        QVERIFY(!PlayButtonOf(id)->property("playing").toBool());
        QTRY_VERIFY_WITH_TIMEOUT(!HasSinkInput(), 5000);
    }

    // Space in the instance list asks to edit and stops the instance first; the host hears its
    // player stop and says so, so the id leaves `playing` and the buttons come back.
    void editRequestStopsAndTheWindowHearsIt()
    {
        const QString id = host_->Instances()[1].eventId; // the looping one
        QVERIFY(Click(PlayButtonOf(id)));
        QTRY_VERIFY_WITH_TIMEOUT(host_->IsPlaying(id), 5000);
        auto* list = FindItem(Manager(), "instanceList");
        Manager()->requestActivate();
        QTRY_VERIFY(Manager()->isActive());
        list->setProperty("currentIndex", 1);
        list->forceActiveFocus();
        QTRY_VERIFY(list->hasActiveFocus());
        QCOMPARE(manager_->property("selectedSfxInstanceEventId").toString(), id);
        QSignalSpy edits(manager_.get(), SIGNAL(editSoundEffectInstanceClicked(QString)));
        QTest::keyClick(Manager(), Qt::Key_Space);
        QCOMPARE(edits.count(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(!host_->IsPlaying(id), 5000);
        QTRY_COMPARE(Playing(), QStringList());
        QVERIFY(ButtonsOn(true, true));
    }

    void activeAudioListOverTheSameHost()
    {
        const QString id = CreateThroughTool(1, false);
        QVERIFY(!id.isEmpty());
        QQuickWindow window;
        window.resize(420, 300);
        std::unique_ptr<QObject> list = Create(QStringLiteral("ActiveAudioList"));
        auto* item = qobject_cast<QQuickItem*>(list.get());
        QVERIFY(item);
        item->setParentItem(window.contentItem());
        item->setSize(QSizeF(420, 300));
        host_->AttachActiveAudioList(item);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const int row = host_->RowOf(id);
        QQuickItem* rowItem = nullptr;
        QTRY_VERIFY((rowItem = FindItem(item, QStringLiteral("activeAudioRow_%1").arg(row))));
        QQuickItem* button = FindItem(rowItem, "playButton");
        QVERIFY(Click(button));
        QTRY_VERIFY_WITH_TIMEOUT(button->property("playing").toBool(), 5000);
        // Progress rises while it plays.
        const auto progress = [&] { return host_->Instances()[row].progress; };
        QTRY_VERIFY_WITH_TIMEOUT(progress() > 0.05, 5000);
        const double seen = progress();
        QTRY_VERIFY_WITH_TIMEOUT(progress() > seen, 5000);

        // A click at the middle of the 3 s row seeks to about 1.5 s.
        QQuickItem* area = FindItem(rowItem, "middleArea");
        QVERIFY(Click(area, QPointF(area->width() / 2, area->height() / 2)));
        QMediaPlayer* player = host_->Instances()[row].player;
        QVERIFY(player);
        QTRY_VERIFY_WITH_TIMEOUT(player->position() >= 1400 && player->position() <= 2200, 5000);

        // The play button of a playing row stops it.
        QVERIFY(Click(button));
        QTRY_VERIFY_WITH_TIMEOUT(!host_->IsPlaying(id), 5000);
        QTRY_VERIFY(!button->property("playing").toBool());
    }

    // A file that is there but cannot be decoded: its audition ends, so the manager gets its
    // buttons back instead of waiting for a sound that never plays.
    void undecodableFileEndsItsAudition()
    {
        QTemporaryDir folder;
        QFile broken(QDir(folder.path()).filePath("broken.wav"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(4096, 'x'));
        broken.close();
        zarn::testing::SfxTestHost host;
        QVERIFY(host.LoadFolder(folder.path()));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("SfxTestHost: "));
        const QString id = host.AddInstance(QStringLiteral("Broken"), QStringLiteral("broken"), 1.0, 0);
        QSignalSpy finished(&host, &zarn::testing::SfxTestHost::sfxFinished);
        host.playSfx(id);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toString(), id);
        QTRY_VERIFY_WITH_TIMEOUT(!host.IsPlaying(id), 5000);
    }

    void instanceWithoutItsFileIsNeverPlayed()
    {
        const QString id = host_->AddInstance(QStringLiteral("Gone"), QStringLiteral("nowhere"), 1.0, 0);
        QTRY_VERIFY(Row(id));
        const QModelIndex index = host_->InstanceModel()->index(host_->RowOf(id));
        QVERIFY(!index.data(zarn::testing::SfxInstanceModel::IsReadyRole).toBool());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("has no file to play"));
        host_->playSfx(id);
        QVERIFY(!host_->IsPlaying(id));
        QVERIFY(!HasSinkInput());
    }
};

int main(int argc, char** argv)
{
    PulseNullSink sink;
    g_sink = &sink;
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication app(argc, argv);
    TestSfxRealSound test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sfx_real_sound.moc"
