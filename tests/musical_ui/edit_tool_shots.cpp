// Renders the marker tool and the editing page around it to PNG files, for looking at them:
// the tool creating a marker at bar 2, beat 3 of song 1 with its text typed, the editing page
// after that marker's OK, and the tool editing the demo's "Letter A"; then the click, transpose
// and tempo scale tools each creating over two bars and editing the demo's event of their kind
// (the click tool also with its pictures listed). The page is the harness window over the real
// engine on a copy of the demo show. Run under a GL display:
//   sh tests/zarn_ui/run_under_xvfb.sh ./musical_ui_edit_tool_shots <folder>
#include "GalleryShot.h"
#include "TimelineFixture.h"
#include "TimelineMetaTypes.h"
#include "ToolTestHelpers.h"
#include "zarn_core/Editor.h"
#include "zarn_core/SongLog.h"
#include "zarn_core/ZarnEventCode.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QJSValue>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>

namespace {

// Song 1 of the demo show is in 4/4 from tick 0.
constexpr std::uint32_t kBar = 1920;
constexpr std::uint32_t kBeat = 480;

// The timeline's beat lines fade for a while after the song is laid out.
bool FadesDone(const TimelineFixture& f)
{
    for (const auto& line : f.controller->GetBarsBeatsView()->GetItems()) {
        if (QObject* fade = line->GetQmlObject()->property("fade").value<QObject*>();
            fade && fade->property("running").toBool())
            return false;
    }
    return true;
}

// Shows the window, waits until it is exposed, settled and has put a frame of its current
// state on the screen, then grabs it. Under GL only: the shadows draw nothing in software.
bool Shoot(QQuickWindow* window, const QString& folder, const QString& name)
{
    if (!window) {
        std::cerr << name.toStdString() << ": no window\n";
        return false;
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
        std::cerr << name.toStdString() << ": the window was not exposed\n";
        return false;
    }
    if (window->rendererInterface()->graphicsApi() != QSGRendererInterface::OpenGL) {
        std::cerr << name.toStdString() << ": not rendered with GL (run under xvfb-run)\n";
        return false;
    }
    if (!QTest::qWaitFor([window] { return GalleryShot::Settled(window->contentItem()); }, 10000)) {
        std::cerr << name.toStdString() << ": the window did not settle\n";
        return false;
    }
    const bool framed = GalleryShot::FreshFrame(window);
    if (!framed) {
        std::cerr << name.toStdString() << ": no frame was swapped\n";
        return false;
    }
    const QImage image = window->grabWindow();
    const QString path = QDir(folder).filePath(name);
    if (image.isNull() || !image.save(path)) {
        std::cerr << "could not save " << path.toStdString() << "\n";
        return false;
    }
    std::cout << path.toStdString() << " " << image.width() << "x" << image.height() << "\n";
    return true;
}

// What the picture cannot show: the title sits in the frame the window manager draws, and the
// marker tool keeps its event id line hidden.
void Describe(QQuickWindow* window)
{
    const QObject* panel = window->findChild<QObject*>(QStringLiteral("barAndBeatPanel"));
    std::cout << "  \"" << window->title().toStdString() << "\": bar "
              << (panel ? panel->property("inBar").toString().toStdString() : "?") << ", beat "
              << (panel ? panel->property("inBeat").toString().toStdString() : "?") << ", text \""
              << window->property("strValue").toString().toStdString() << "\", event id "
              << window->property("eventId").toString().toStdString() << "\n";
}

// The user's way into the tool: the window active, its text field holding the focus it takes
// on opening, everything in it selected and replaced key by key.
bool Type(QQuickWindow* window, const QString& text)
{
    window->requestActivate();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    QTest::keySequence(window, QKeySequence(QKeySequence::SelectAll));
    for (QChar c : text)
        QTest::keyClick(window, c.toLatin1());
    return true;
}

cmn::ZarnEvent* EngineMarker(const TimelineFixture& f, const std::string& text)
{
    for (cmn::ZarnEvent* marker : f.engine->GetMarkers()) {
        if (marker->value() == text)
            return marker;
    }
    return nullptr;
}

// The tool's window; null, with what did not open printed, when it has none.
QQuickWindow* OpenedWindow(zarn::qt::EditToolController* tool, const std::string& what)
{
    QQuickWindow* window = WindowOf(tool);
    if (!window)
        std::cerr << what << " did not open\n";
    return window;
}

// Shoots the window, prints what its picture cannot show and closes it without OK, so the
// log stays the demo's.
bool ShootAndClose(QQuickWindow* window, const QString& folder, const QString& file,
                   void (*describe)(QQuickWindow*))
{
    const bool ok = Shoot(window, folder, file);
    describe(window);
    window->close();
    TimelineFixture::FlushDeletes();
    return ok;
}

// What the picture of a range or value tool cannot show: the title, the picked range, the
// value or count where the tool has one, and whether the event id line shows.
void DescribeRangeTool(QQuickWindow* window)
{
    const QObject* panel = window->findChild<QObject*>(QStringLiteral("barAndBeatPanel"));
    const QObject* idLine = window->findChild<QObject*>(QStringLiteral("eventIdLabel"));
    const auto text = [panel](const char* name) {
        return panel ? panel->property(name).toString().toStdString() : std::string("?");
    };
    std::cout << "  \"" << window->title().toStdString() << "\": in " << text("inBar") << "." << text("inBeat")
              << ", out " << text("outBar") << "." << text("outBeat");
    const QVariant value = window->property("value");
    const QVariant shown = value.isValid() ? value : window->property("intValue");
    if (shown.isValid())
        std::cout << ", value \"" << shown.toString().toStdString() << "\"";
    std::cout << ", event id " << window->property("eventId").toString().toStdString()
              << (idLine && idLine->property("visible").toBool() ? " (shown)" : " (hidden)") << "\n";
}

// ---- the value tools: click resolution, transposition, tempo scale ----

// The song's one event of the kind, as the edit bar's Edit hands it over.
cmn::ZarnEvent SongEvent(const TimelineFixture& f, const std::string& song, char kind)
{
    for (const cmn::ZarnEvent* event : f.engine->GetChangeLogEditor()->GetSongLog(song)->GetAllEvents()) {
        if (event->code() == kind)
            return *event;
    }
    throw std::runtime_error(std::string("song ") + song + " has no event of kind " + kind);
}

// Each value tool creating over bars 2 to 4 and editing the demo's event of its kind; the
// click tool also with its list of pictures open.
bool ShootValueTools(TimelineFixture& f, const QString& folder)
{
    struct Shot
    {
        char kind;
        const char* name;
        const char* song; // the demo song holding an event of the kind
        std::uint32_t bar; // that song's bar length
    };
    const Shot shots[] = {{codes::Click, "click", "2", 1440},
                          {codes::Transpose, "transpose", "3", 1440},
                          {codes::TempoScale, "tempo", "4", kBar}};
    bool ok = true;
    for (const Shot& shot : shots) {
        f.LoadSong(shot.song);
        const std::string tool = std::string("the ") + shot.name + " tool";
        const QString name = QString::fromLatin1(shot.name);
        // Song 3 opens with a 3/8 bar 0; its 6/8 bars begin at tick 720.
        const std::uint32_t first = shot.kind == codes::Transpose ? 720 + shot.bar : shot.bar;
        QPointer<zarn::qt::EditToolController> create =
            f.OpenCreateTool(shot.kind, int(first), int(first + 2 * shot.bar));
        QQuickWindow* createWindow = OpenedWindow(create, tool);
        if (!createWindow)
            return false;
        if (shot.kind == codes::Click) {
            // 16ths: a picture with two flags, the finest detail of the set.
            QVariant model = createWindow->property("clickCountModel");
            if (model.userType() == qMetaTypeId<QJSValue>())
                model = model.value<QJSValue>().toVariant();
            const QVariantList values = model.toList();
            const auto found = std::find(values.begin(), values.end(), QVariant(16));
            createWindow->setProperty("clickCountIndex", found == values.end() ? 0 : int(found - values.begin()));
            // The list of pictures open, then the window as it opened.
            QObject* picker = createWindow->findChild<QObject*>(QStringLiteral("clickPicker"));
            QObject* popup = picker ? picker->property("choices").value<QObject*>() : nullptr;
            if (popup)
                QMetaObject::invokeMethod(popup, "open");
            ok &= popup && Shoot(createWindow, folder, QStringLiteral("click-tool-values.png"));
            if (popup)
                QMetaObject::invokeMethod(popup, "close");
        }
        ok &= ShootAndClose(createWindow, folder, name + QStringLiteral("-tool-create.png"), DescribeRangeTool);

        cmn::ZarnEvent event = SongEvent(f, shot.song, shot.kind);
        QPointer<zarn::qt::EditToolController> edit = f.OpenEditTool(&event);
        QQuickWindow* editWindow = OpenedWindow(edit, tool + " on the demo's event");
        if (!editWindow)
            return false;
        ok &= ShootAndClose(editWindow, folder, name + QStringLiteral("-tool-edit.png"), DescribeRangeTool);
    }
    return ok;
}

// The range tools: each creating on its demo song (a new vamp reads "∞") and editing the
// demo's event of its kind.
bool ShootRangeTools(TimelineFixture& f, const QString& folder)
{
    struct RangeShot
    {
        char kind;
        const char* name;
        const char* song;
        std::uint32_t start;
        std::uint32_t end;
    };
    const RangeShot shots[] = {
        {'B', "cut", "2", 4320, 7200},
        {'M', "skip", "3", 6480, 9360},
        {'@', "vamp", "1", 9600, 11520},
        {'A', "repeat", "2", 5760, 8640},
    };
    bool ok = true;
    for (const RangeShot& shot : shots) {
        f.LoadSong(shot.song);
        const std::string tool = std::string("the ") + shot.name + " tool";
        const QString name = QString::fromLatin1(shot.name);

        QPointer<zarn::qt::EditToolController> create =
            f.OpenCreateTool(shot.kind, static_cast<int>(shot.start), static_cast<int>(shot.end));
        QQuickWindow* createWindow = OpenedWindow(create, tool);
        if (!createWindow)
            return false;
        ok &= ShootAndClose(createWindow, folder, name + QStringLiteral("-tool-create.png"), DescribeRangeTool);

        cmn::ZarnEvent* event = nullptr;
        for (const auto& panelEvent : f.editModel->panelEvents) {
            if (panelEvent->code() == shot.kind)
                event = panelEvent.get();
        }
        QPointer<zarn::qt::EditToolController> edit = f.OpenEditTool(event);
        QQuickWindow* editWindow = OpenedWindow(edit, tool + " on the demo's event");
        if (!editWindow)
            return false;
        ok &= ShootAndClose(editWindow, folder, name + QStringLiteral("-tool-edit.png"), DescribeRangeTool);
    }
    return ok;
}

// The caesura and OSC cue tools: creating at bar 2, beat 3 of song 1 with the shift slider
// moved (and a command typed), and editing the demo's caesura N6.4 and cue S5.1.
void DescribeShift(QQuickWindow* window)
{
    Describe(window);
    std::cout << "  shift " << window->property("inShift").toDouble() << " from "
              << window->property("inShiftMin").toInt() << " to " << window->property("inShiftMax").toInt()
              << (window->property("inShiftEnabled").toBool() ? "" : " (off)") << "\n";
}

cmn::ZarnEvent* PanelEvent(const TimelineFixture& f, const std::string& id)
{
    for (const auto& event : f.editModel->panelEvents) {
        if (event->EventId() == id)
            return event.get();
    }
    return nullptr;
}

bool ShootShiftTools(TimelineFixture& f, const QString& folder)
{
    bool ok = true;
    struct Shot
    {
        char kind;
        const char* name;
        const char* editId;
    };
    for (const Shot& shot : {Shot{'N', "caesura", "N6.4"}, Shot{'S', "osc", "S5.1"}}) {
        // The shots before may have left another song loaded.
        f.LoadSong("1");
        const std::string tool = std::string("the ") + shot.name + " tool";
        const QString name = QString::fromLatin1(shot.name);
        QPointer<zarn::qt::EditToolController> create =
            f.OpenCreateTool(shot.kind, int(kBar + 2 * kBeat), int(kBar + 2 * kBeat));
        QQuickWindow* window = OpenedWindow(create, tool);
        if (!window)
            return false;
        window->setProperty("inShift", 120);
        if (shot.kind == 'S' && !Type(window, QStringLiteral("/zarn/fadeto -12 4"))) {
            std::cerr << "the OSC command could not be typed\n";
            return false;
        }
        ok &= ShootAndClose(window, folder, name + QStringLiteral("-tool-create.png"), DescribeShift);

        QPointer<zarn::qt::EditToolController> edit = f.OpenEditTool(PanelEvent(f, shot.editId));
        window = OpenedWindow(edit, tool + " on " + shot.editId);
        if (!window)
            return false;
        ok &= ShootAndClose(window, folder, name + QStringLiteral("-tool-edit.png"), DescribeShift);
    }
    return ok;
}

int Run(const QString& folder)
{
    TimelineFixture f;
    f.LoadSong("1");
    bool ok = true;

    // 1. Create, at bar 2, beat 3, with the text typed in.
    const std::uint32_t tick = kBar + 2 * kBeat;
    const TL::BarsBeats position = f.engine->GetBarBeatByTick(tick);
    if (position.bar_number() != "2" || position.beat() != 3) {
        std::cerr << "tick " << tick << " is bar " << position.bar_number() << " beat " << position.beat()
                  << ", not bar 2 beat 3\n";
        return 1;
    }
    QPointer<zarn::qt::MarkerToolController> create = f.OpenMarkerTool(tick);
    QQuickWindow* createWindow = WindowOf(create);
    if (!createWindow || !Type(createWindow, QStringLiteral("Verse"))) {
        std::cerr << "the create tool did not open or take the text\n";
        return 1;
    }
    ok &= Shoot(createWindow, folder, QStringLiteral("marker-tool-create.png"));
    Describe(createWindow);

    // 3. Its OK by Return: the page refreshed with the new marker.
    QTest::keyClick(createWindow, Qt::Key_Return);
    TimelineFixture::FlushDeletes();
    if (!create.isNull() || !EngineMarker(f, "Verse")) {
        std::cerr << "Return did not add the marker and close the tool\n";
        return 1;
    }
    if (!QTest::qWaitFor([&f] { return FadesDone(f); }, 5000)) {
        std::cerr << "the timeline's beat lines kept fading\n";
        ok = false;
    }
    ok &= Shoot(f.window.get(), folder, QStringLiteral("editing-page-after-add.png"));

    // 2. Edit, on the demo's "Letter A".
    cmn::ZarnEvent* letterA = EngineMarker(f, "Letter A");
    QPointer<zarn::qt::EditToolController> edit = f.OpenEditTool(letterA);
    QQuickWindow* editWindow = WindowOf(edit);
    if (!editWindow) {
        std::cerr << "the edit tool did not open on \"Letter A\"\n";
        return 1;
    }
    ok &= Shoot(editWindow, folder, QStringLiteral("marker-tool-edit.png"));
    Describe(editWindow);
    editWindow->close();
    TimelineFixture::FlushDeletes();
    ok &= ShootValueTools(f, folder);
    ok &= ShootRangeTools(f, folder);
    ok &= ShootShiftTools(f, folder);
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    zarn::qt::RegisterTimelineMetaTypes();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    if (!QDir().mkpath(folder)) {
        std::cerr << "cannot make " << folder.toStdString() << "\n";
        return 1;
    }
    try {
        return Run(folder);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
