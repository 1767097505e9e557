// Pictures of the sound-effect windows and the packager window, opened with the test host and
// the real packager controller on a GL display: the manager with two sources and three
// instances (one playing, one without its file), both tools, the active-audio list with a
// pinned and a playing row, the packager's two tabs and its result popup. Each lands in the
// build folder for looking at; skipped off an X display.
#include "GalleryShot.h"
#include "PulseNullSink.h"
#include "QmlModuleLoader.h"
#include "SfxTestHelpers.h"
#include "SfxTestHost.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

using zarn::testing::FindItem;
using zarn::testing::WriteTone;

PulseNullSink* g_sink = nullptr;

// Shows the window and lets it draw twice: a canvas paints on the frame after it is asked to,
// so the drawn play and stop faces appear only in a later frame than the rest.
void Frames(QQuickWindow* window)
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(GalleryShot::FreshFrame(window));
    QVERIFY(GalleryShot::FreshFrame(window));
}

QString Png(const QString& name)
{
    return QDir(QStringLiteral(CORVANE_GALLERY_DIR)).filePath(name);
}

} // namespace

class TestSfxGallery : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<QQmlEngine> qml_;
    std::unique_ptr<zarn::testing::SfxTestHost> host_;

    std::unique_ptr<QObject> Create(const QString& type) { return zarn::testing::CreateZarnUi(*qml_, type); }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X display with GL: run under xvfb-run");
        QCoreApplication::setOrganizationName(QStringLiteral("Corvane Tests"));
        QCoreApplication::setApplicationName(QStringLiteral("tst_sfx_gallery"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.filePath("settings"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.filePath("settings"));
        const QString sfx = dir_.filePath("sfx");
        QVERIFY(QDir().mkpath(sfx));
        WriteTone(QDir(sfx).filePath("Thunder Roll.wav"), 3.0, 110.0);
        WriteTone(QDir(sfx).filePath("Doorbell.wav"), 0.5, 880.0);
        host_ = std::make_unique<zarn::testing::SfxTestHost>();
        QVERIFY(host_->LoadFolder(sfx));
        host_->AddInstance(QStringLiteral("Storm builds over the harbour"), QStringLiteral("Thunder Roll"), 0.501187, -1);
        host_->AddInstance(QStringLiteral("Front door"), QStringLiteral("Doorbell"), 1.0, 0);
        host_->AddInstance(QStringLiteral("Lost cue"), QStringLiteral("Wind"), 0.25, 0);
        qml_ = std::make_unique<QQmlEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
    }

    void manager()
    {
        std::unique_ptr<QObject> window = Create(QStringLiteral("SfxManagerTool"));
        QVERIFY(window);
        host_->AttachManager(window.get());
        if (g_sink->Started()) {
            host_->playSfx(QStringLiteral("Q1"));
            QTRY_VERIFY_WITH_TIMEOUT(host_->IsPlaying(QStringLiteral("Q1")), 5000);
        }
        window->setProperty("playing", QStringList{QStringLiteral("Q1")});
        Frames(qobject_cast<QQuickWindow*>(window.get()));
        QImage image;
        GalleryShot::Grab(qobject_cast<QQuickWindow*>(window.get()), Png("sfx_manager.png"), image);
        host_->stopSfx(QStringLiteral("Q1"));
    }

    void instanceTool()
    {
        std::unique_ptr<QObject> tool = Create(QStringLiteral("StandaloneSfxTool"));
        QVERIFY(tool);
        host_->AttachInstanceTool(tool.get());
        tool->setProperty("isEdit", true);
        tool->setProperty("eventId", QStringLiteral("Q2"));
        tool->setProperty("fadeIn", QStringLiteral("0.5"));
        tool->setProperty("loop", true);
        QImage image;
        GalleryShot::Grab(qobject_cast<QQuickWindow*>(tool.get()), Png("sfx_instance_tool.png"), image);
    }

    void customAudioTool()
    {
        std::unique_ptr<QObject> tool = Create(QStringLiteral("SfxPropertyTool"));
        QVERIFY(tool);
        QImage image;
        GalleryShot::Grab(qobject_cast<QQuickWindow*>(tool.get()), Png("sfx_custom_audio_tool.png"), image);
        tool->setProperty("visible", false);
        tool->setProperty("usesCustomAudioFile", false);
        tool->setProperty("effectModel", QVariant::fromValue<QObject*>(host_->SourceModel()));
        tool->setProperty("eventId", QStringLiteral("R7"));
        GalleryShot::Grab(qobject_cast<QQuickWindow*>(tool.get()), Png("sfx_custom_audio_tool_sources.png"), image);
    }

    void activeAudioList()
    {
        QQuickWindow window;
        window.resize(420, 220);
        window.setColor(Qt::black);
        std::unique_ptr<QObject> list = Create(QStringLiteral("ActiveAudioList"));
        auto* item = qobject_cast<QQuickItem*>(list.get());
        QVERIFY(item);
        item->setParentItem(window.contentItem());
        item->setSize(QSizeF(420, 220));
        host_->AttachActiveAudioList(item);
        auto* model = host_->ActiveModel();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (g_sink->Started()) {
            model->playTrack(1);
            QTRY_VERIFY_WITH_TIMEOUT(host_->Instances()[0].progress > 0.1, 5000);
        }
        // The second row pinned by a click on its pin, as the operator pins it.
        QQuickItem* pinned = nullptr;
        QTRY_VERIFY((pinned = FindItem(item, QStringLiteral("activeAudioRow_1"))));
        QQuickItem* pin = FindItem(pinned, QStringLiteral("pinMouse"));
        QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier,
                          pin->mapToScene(QPointF(pin->width() / 2, pin->height() / 2)).toPoint());
        QTRY_VERIFY(model->index(1).data(zarn::testing::ActiveAudioModel::IsPinnedRole).toBool());
        QTest::mouseMove(&window, QPoint(410, 210));
        Frames(&window);
        QImage image;
        GalleryShot::Grab(&window, Png("sfx_active_audio_list.png"), image);
        host_->stopSfx(QStringLiteral("Q1"));
    }

    void packager()
    {
        std::unique_ptr<QObject> window = Create(QStringLiteral("PackagerWindow"));
        QVERIFY(window);
        auto* quick = qobject_cast<QQuickWindow*>(window.get());
        window->setProperty("showName", QStringLiteral("Lanterns Demo"));
        window->setProperty("sourceDirectory", QStringLiteral(CORVANE_DEMO_SHOW));
        window->setProperty("destinationDirectory", dir_.filePath("roots"));
        window->setProperty("imageDirectory", QStringLiteral(CORVANE_DEMO_PAGES));
        window->setProperty("soundEffectsDirectory", dir_.filePath("sfx"));
        window->setProperty("files", QStringList{QStringLiteral("overture.mid"), QStringLiteral("finale.midi")});
        QImage image;
        GalleryShot::Grab(quick, Png("packager_show.png"), image);

        QQuickItem* tabs = FindItem(quick->contentItem(), QStringLiteral("tabBar"));
        tabs->setProperty("currentIndex", 1);
        window->setProperty("sfxSourceDirectory", dir_.filePath("sfx"));
        window->setProperty("sfxDestinationDirectory", dir_.filePath("sfx-out"));
        GalleryShot::Grab(quick, Png("packager_sfx.png"), image);

        tabs->setProperty("currentIndex", 0);
        QObject* controller = window->property("controller").value<QObject*>();
        QVERIFY(QMetaObject::invokeMethod(controller, "package"));
        QTRY_VERIFY_WITH_TIMEOUT(controller->property("message").toBool(), 60000);
        GalleryShot::Grab(quick, Png("packager_result.png"), image);
    }
};

int main(int argc, char** argv)
{
    PulseNullSink sink;
    g_sink = &sink;
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QGuiApplication app(argc, argv);
    TestSfxGallery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sfx_gallery.moc"
