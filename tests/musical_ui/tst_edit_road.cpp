// The whole road of a marker edit on the editing page, as the operator takes it: the marker
// tool opened from the page, a name typed and Return pressed, then the edit bar's Undo, Redo,
// Edit (a change of place and name in one OK) and Delete. Real engine and editor on a copy of
// the demo show, the harness page with the real timeline, lists and edit bar.
#include "EditController.h"
#include "MarkerListController.h"
#include "MarkerListModel.h"
#include "MarkerToolController.h"
#include "TimelineFixture.h"
#include "ToolTestHelpers.h"
#include "zarn_core/Editor.h"
#include "zarn_core/Marker.h"

#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QtTest>

#include <cstdint>
#include <string>
#include <vector>

using zarn::qt::EditController;
using zarn::qt::EditToolController;
using zarn::qt::MarkerToolController;

namespace {

constexpr std::uint32_t kBar = 1920;
constexpr std::uint32_t kBeat = 480;

struct LoggedMarker
{
    std::uint32_t tick;
    std::string id;
    std::string text;
    bool operator==(const LoggedMarker&) const = default;
};

class TestEditRoad : public QObject
{
    Q_OBJECT

    std::unique_ptr<TimelineFixture> f_;

    TimelineFixture& f() { return *f_; }

    std::vector<LoggedMarker> LoggedMarkers(const std::string& text)
    {
        std::vector<LoggedMarker> found;
        for (const CL::Marker& m : f().engine->GetChangeLogEditor()->GetSongLog("1")->GetMarkers()) {
            if (m.value() == text)
                found.push_back({m.start(), m.EventId(), m.value()});
        }
        return found;
    }

    // The marker list's rows with that name.
    int ListRows(const std::string& name)
    {
        int rows = 0;
        zarn::qt::MarkerListModel* model = f().markerList->GetModel();
        for (int row = 0; row < model->rowCount(); ++row)
            rows += model->GetItem(row).name == name ? 1 : 0;
        return rows;
    }

    int ListRow(const std::string& name)
    {
        zarn::qt::MarkerListModel* model = f().markerList->GetModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->GetItem(row).name == name)
                return row;
        }
        return -1;
    }

    // The timeline's marker items showing that name (their labels keep a space before it).
    int TimelineItems(const QString& name)
    {
        int items = 0;
        for (const auto& marker : f().controller->GetMarkerItems()) {
            if (marker->GetQmlObject()->property("labelText").toString().trimmed() == name)
                ++items;
        }
        return items;
    }

    QQuickItem* EditBarButton(const char* name)
    {
        auto* button = f().PanelPart("editBarControl")->findChild<QQuickItem*>(QLatin1String(name));
        if (!button)
            qFatal("the edit bar has no %s", name);
        return button;
    }

    void PressEditBar(const char* name)
    {
        QQuickItem* button = EditBarButton(name);
        QVERIFY2(button->isEnabled(), name);
        ClickItem(button);
    }

    // A click on the marker list's row, which the edit model takes as its selection.
    void ChooseMarkerRow(int row)
    {
        auto* list = qobject_cast<QQuickItem*>(Child(f().PanelPart("markerListControl"), "list"));
        QVERIFY(list);
        list->ensurePolished();
        QMetaObject::invokeMethod(list, "positionViewAtIndex", Q_ARG(int, row), Q_ARG(int, 0));
        list->ensurePolished();
        QQuickItem* delegate = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, delegate), Q_ARG(int, row));
        ClickItem(delegate);
    }

    static void TypeAndReturn(QQuickWindow* window, const QString& text)
    {
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window, QKeySequence(QKeySequence::SelectAll));
        for (QChar c : text)
            QTest::keyClick(window, c.toLatin1());
        QTest::keyClick(window, Qt::Key_Return);
    }

private slots:
    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
        f_ = std::make_unique<TimelineFixture>();
        f().LoadSong("1");
    }

    void cleanup()
    {
        f_.reset();
    }

    void markerAddedUndoneRedoneChangedAndDeleted()
    {
        QSignalSpy state(f().editController.get(), &EditController::UpdateUndoRedoState);
        const std::uint32_t tick = kBar + 2 * kBeat; // bar 2, beat 3

        // Add: the tool opened on the playhead's tick, a name typed, Return.
        QPointer<MarkerToolController> tool = f().OpenMarkerTool(tick);
        QVERIFY(tool);
        QQuickWindow* window = WindowOf(tool);
        QTRY_VERIFY(window->isExposed());
        QCOMPARE(window->property("eventId").toString(), QStringLiteral("E2.3"));
        TypeAndReturn(window, QStringLiteral("Verse"));
        QCOMPARE(LoggedMarkers("Verse"), (std::vector<LoggedMarker>{{tick, "E2.3", "Verse"}}));
        QCOMPARE(ListRows("Verse"), 1);
        QCOMPARE(TimelineItems(QStringLiteral("Verse")), 1);
        QVERIFY(!state.isEmpty());
        QCOMPARE(state.last(), (QVariantList{true, false, true, true}));
        QTRY_VERIFY(tool.isNull()); // released once its window closed
        for (const char* button : {"undoButton", "saveButton", "shareButton"})
            QVERIFY2(EditBarButton(button)->isEnabled(), button);
        QVERIFY(!EditBarButton("redoButton")->isEnabled());

        // Undo takes it away everywhere, Redo brings it back.
        PressEditBar("undoButton");
        QVERIFY(LoggedMarkers("Verse").empty());
        QCOMPARE(ListRows("Verse"), 0);
        QCOMPARE(TimelineItems(QStringLiteral("Verse")), 0);
        QVERIFY(EditBarButton("redoButton")->isEnabled());
        PressEditBar("redoButton");
        QCOMPARE(LoggedMarkers("Verse"), (std::vector<LoggedMarker>{{tick, "E2.3", "Verse"}}));
        QCOMPARE(ListRows("Verse"), 1);
        QCOMPARE(TimelineItems(QStringLiteral("Verse")), 1);

        // Edit: the row chosen, the edit bar's Edit opens the marker tool on it; a new place
        // and a new name in one OK.
        ChooseMarkerRow(ListRow("Verse"));
        QTRY_VERIFY(EditBarButton("editButton")->isEnabled());
        PressEditBar("editButton");
        tool = qobject_cast<MarkerToolController*>(f().Tool('E'));
        QVERIFY(tool);
        window = WindowOf(tool);
        QTRY_VERIFY(window->isExposed());
        QVERIFY(window->property("isEdit").toBool());
        QSignalSpy updated(tool.data(), &EditToolController::valuesUpdated);
        const int barRow = tool->FindBarRow(f().engine->GetBarBeatByTick(3 * kBar));
        QVERIFY(barRow > 0);
        Choose(window, "in", barRow, 1); // beat 2
        TypeAndReturn(window, QStringLiteral("Chorus"));
        QCOMPARE(updated.count(), 1);
        QVERIFY(LoggedMarkers("Verse").empty());
        QCOMPARE(LoggedMarkers("Chorus"), (std::vector<LoggedMarker>{{3 * kBar + kBeat, "E2.3", "Chorus"}}));
        QCOMPARE(ListRows("Chorus"), 1);
        QCOMPARE(ListRows("Verse"), 0);
        QCOMPARE(TimelineItems(QStringLiteral("Chorus")), 1);
        QTRY_VERIFY(tool.isNull());

        // Delete: the row chosen again, the edit bar's Delete.
        ChooseMarkerRow(ListRow("Chorus"));
        QTRY_VERIFY(EditBarButton("deleteButton")->isEnabled());
        PressEditBar("deleteButton");
        QVERIFY(LoggedMarkers("Chorus").empty());
        QCOMPARE(ListRows("Chorus"), 0);
        QCOMPARE(TimelineItems(QStringLiteral("Chorus")), 0);
        QCOMPARE(state.last(), (QVariantList{true, false, true, true}));
    }
};

} // namespace

QTEST_MAIN(TestEditRoad)
#include "tst_edit_road.moc"
