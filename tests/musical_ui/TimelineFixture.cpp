#include "TimelineFixture.h"

#include "DemoShowEngine.h"
#include "QmlModuleLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <stdexcept>

TimelineFixture::TimelineFixture()
{
    CopyDemoShow(dir);
    clock = std::make_shared<zarn::player::ManualClock>();
    auto real = StartDemoEngine(dir, clock);
    audio = real.get();
    engine = real;
    Build(true, true);
}

TimelineFixture::TimelineFixture(std::shared_ptr<Interface> e, bool audioTailAsFade, bool enableOsc)
    : engine(std::move(e))
{
    Build(audioTailAsFade, enableOsc);
}

void TimelineFixture::Build(bool audioTailAsFade, bool enableOsc)
{
    showManager = std::make_shared<zarn::ShowManager>(engine);
    editModel = std::make_shared<zarn::qt::EditModel>(showManager, enableOsc);
    qmlEngine = std::make_unique<QQmlEngine>();
    zarn::qt::QmlModuleLoader::PrepareEngine(*qmlEngine);
    QQmlComponent component(qmlEngine.get(), QUrl::fromLocalFile(QStringLiteral(CORVANE_TIMELINE_HARNESS)));
    QObject* root = component.create();
    if (!root)
        throw std::runtime_error(component.errorString().toStdString());
    window.reset(qobject_cast<QQuickWindow*>(root));
    if (!window)
        throw std::runtime_error("the harness is not a window");
    timeline = window->property("timelineControl").value<QQuickItem*>();
    if (!timeline)
        throw std::runtime_error("the harness has no timelineControl");
    window->show();
    // The strip is laid out only once the window has its size: the view's extent depends on it.
    if (!QTest::qWaitForWindowExposed(window.get()))
        throw std::runtime_error("the harness window was not shown");
    controller = std::make_unique<zarn::qt::TimelineController>(timeline, qmlEngine.get(), engine,
                                                                showManager, editModel,
                                                                audioTailAsFade, enableOsc);
    editPanel = window->property("editPanelControl").value<QQuickItem*>();
    if (!editPanel)
        throw std::runtime_error("the harness has no editPanelControl");
    window->setProperty("oscEnable", enableOsc);
    editController = std::make_unique<zarn::qt::EditController>(
        qmlEngine.get(), showManager, editModel, engine, editPanel, *controller, enableOsc);
    songList = editController->GetSongListController();
    markerList = editController->GetMarkerListController();
    eventList = editController->GetEventListController();
    editBar = editController->GetEditBarController();
    QObject::connect(editController.get(), &zarn::qt::EditController::EditButtonSignal, editController.get(),
                     [this](cmn::ZarnEvent* event) { OpenEditTool(event); });
}

zarn::qt::EditToolController*
TimelineFixture::Open(char kind,
                      const std::function<void(const zarn::qt::EventToolKind&, zarn::qt::EditToolController&)>& open,
                      bool refresh)
{
    const zarn::qt::EventToolKind* row = tools.Find(kind);
    if (!row)
        return nullptr;
    zarn::qt::EditToolController* tool =
        tools.Replace(*row, {qmlEngine.get(), engine, editController.get(), window.get()});
    open(*row, *tool);
    tool->ConnectToolSignals();
    if (refresh) {
        zarn::qt::EditController* edit = editController.get();
        QObject::connect(tool, &zarn::qt::EditToolController::valuesUpdated, edit,
                         [edit] { edit->RefreshAfterEdit({}); });
    }
    // The window is still emitting its closing signal when the tool hears it, so the tool
    // goes later. Unlike the main window's release, its signals stay connected: the tests'
    // spies hear the closing signal after this.
    row->connectClosing(*tool, tool, [tool] { tool->deleteLater(); });
    return tool;
}

zarn::qt::EditToolController* TimelineFixture::OpenCreateTool(char kind, int startTick, int endTick)
{
    return Open(
        kind,
        [&](const zarn::qt::EventToolKind& row, zarn::qt::EditToolController& tool) {
            row.openForCreate(tool, *engine, startTick, endTick);
        },
        tools.Find(kind) && tools.Find(kind)->refreshesOnCreate);
}

zarn::qt::MarkerToolController* TimelineFixture::OpenMarkerTool(std::uint32_t tick)
{
    return static_cast<zarn::qt::MarkerToolController*>(
        OpenCreateTool('E', static_cast<int>(tick), static_cast<int>(tick)));
}

zarn::qt::EditToolController* TimelineFixture::OpenEditTool(cmn::ZarnEvent* event)
{
    if (!event)
        return nullptr;
    return Open(
        event->code(),
        [&](const zarn::qt::EventToolKind& row, zarn::qt::EditToolController& tool) {
            row.openForEdit(tool, *engine, event);
        },
        true);
}

zarn::qt::EditToolController* TimelineFixture::Tool(char kind) const
{
    return tools.Tool(kind);
}

void TimelineFixture::DeleteTools()
{
    tools.DeleteAll();
}

QQuickItem* TimelineFixture::PanelPart(const char* alias) const
{
    auto* part = editPanel->property(alias).value<QQuickItem*>();
    if (!part)
        throw std::runtime_error(std::string("the edit panel has no ") + alias);
    return part;
}

TimelineFixture::~TimelineFixture()
{
    DestroyController();
    window.reset();
    FlushDeletes();
}

void TimelineFixture::LoadSong(const std::string& number)
{
    engine->LoadSong(number);
    controller->OnSongLoaded(number);
    if (editController)
        editController->OnSongLoaded(number);
    // The released items go when the event loop next turns; a test may not turn it.
    FlushDeletes();
}

QQuickItem* TimelineFixture::Row(const char* property) const
{
    return qvariant_cast<QQuickItem*>(timeline->property(property));
}

QList<QQuickItem*> TimelineFixture::RowItems(const char* property) const
{
    QList<QQuickItem*> items;
    if (QQuickItem* row = Row(property)) {
        // Released items stay children until their deferred deletion runs.
        for (QQuickItem* child : row->childItems()) {
            if (!child->property("basePosition").isValid() && !child->property("basePos").isValid())
                continue;
            items.append(child);
        }
    }
    return items;
}

void TimelineFixture::FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TimelineFixture::DestroyController()
{
    // The tools hand their edits to the edit controller.
    DeleteTools();
    editController.reset();
    songList = nullptr;
    markerList = nullptr;
    eventList = nullptr;
    editBar = nullptr;
    controller.reset();
    FlushDeletes();
}
