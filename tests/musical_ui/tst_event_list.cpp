// The event list: its model under the model tester, over the real engine on the fixture show
// and over a fake engine for bar texts the real one never gives; its controller on the real
// view in an offscreen window, driven with the mouse.
#include "EditModel.h"
#include "EngineFixture.h"
#include "EventInfoItem.h"
#include "EventListController.h"
#include "EventListModel.h"
#include "ShowFakeEngine.h"
#include "ShowManager.h"
#include "TimelineMetaTypes.h"
#include "ViewWindow.h"
#include "QmlModuleLoader.h"
#include "zarn_core/CallbackDispatcher.h"
#include "zarn_core/ChangeLogData.h"
#include "zarn_core/Cut.h"
#include "zarn_core/NotifyNames.h"
#include "zarn_core/ZarnEventCode.h"

#include <QAbstractItemModelTester>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <map>
#include <memory>
#include <string>
#include <vector>

using zarn::qt::EditModel;
using zarn::qt::EventInfoItem;
using zarn::qt::EventListController;
using zarn::qt::EventListModel;

namespace {

using Tester = QAbstractItemModelTester;

// The fixture show on the real engine, with a show manager and an edit model over it. The
// current song is song 1, which has one event of every kind but the sound effects.
struct EngineShow
{
    EngineFixture fixture;
    std::shared_ptr<Interface> engine;
    std::shared_ptr<zarn::ShowManager> manager;
    std::unique_ptr<EditModel> editModel;

    EngineShow()
    {
        fixture.Start();
        // The fixture shuts its engine down itself.
        engine = std::shared_ptr<Interface>(fixture.engine.get(), [](Interface*) {});
        manager = std::make_shared<zarn::ShowManager>(engine);
        editModel = std::make_unique<EditModel>(manager, true);
    }

    QString Bar(std::uint32_t tick) const { return QString::fromStdString(engine->GetBarString(tick)); }
};

// Bar texts the real engine never gives: empty, non-ASCII, broken UTF-8.
class BarTextEngine : public ShowFakeEngine
{
public:
    std::map<std::uint32_t, std::string> barTexts;

    std::string GetBarString(std::uint32_t tick) override
    {
        ShowFakeEngine::GetBarString(tick); // recorded
        const auto found = barTexts.find(tick);
        return found == barTexts.end() ? "Bar " + std::to_string(tick) : found->second;
    }
};

EventInfoItem Record(std::uint32_t start, std::uint32_t end, char code, const QString& text, bool paired)
{
    return EventInfoItem{start, end, static_cast<unsigned char>(code), text, paired};
}

QString Cell(const QAbstractItemModel& model, int row, int role)
{
    return model.data(model.index(row, 0), role).toString();
}

// What the controller sends, in order: "bus 3" for a notice on the bus, "signal 3" for
// CurrentItemChangedSignal with the record of row 3 (or "signal ?" for a record of no row).
class Traffic
{
public:
    Traffic(EventListController& controller, EditModel& editModel)
    {
        // As the edit controller does: the posted row selects that panel event.
        notify::callbackDispatcher.AddCallback(this, notify::names::EVT_CHANGE_LOG_PANEL_SELECTED,
                                               [this, &editModel](void* payload) {
                                                   const int row = *static_cast<int*>(payload);
                                                   log << QStringLiteral("bus %1").arg(row);
                                                   if (row >= 0 && std::size_t(row) < editModel.panelEvents.size())
                                                       editModel.SelectEvent(editModel.panelEvents[std::size_t(row)].get());
                                               });
        QObject::connect(&controller, &EventListController::CurrentItemChangedSignal, &context_,
                         [this, &controller](const EventInfoItem& item) {
                             const int row = controller.GetModel()->IndexOf(item);
                             log << (row < 0 ? QStringLiteral("signal ?") : QStringLiteral("signal %1").arg(row));
                         });
    }
    ~Traffic() { notify::callbackDispatcher.RemoveCallbacksForTarget(this); }
    Traffic(const Traffic&) = delete;
    Traffic& operator=(const Traffic&) = delete;

    QStringList log;

private:
    QObject context_;
};

struct ListWindow : ViewWindow
{
    ListWindow() : ViewWindow(QStringLiteral("EventListView")) {}
};

} // namespace

class TestEventList : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<EngineShow> show_;

    // The list on its own window with the controller over the engine show.
    struct Page
    {
        ListWindow window;
        std::unique_ptr<EventListController> controller;

        explicit Page(EditModel& editModel)
            : controller(std::make_unique<EventListController>(window.view, &editModel))
        {
        }

        int CurrentIndex() const { return window.view->property("currentIndex").toInt(); }
        void Click(int row) const
        {
            QTest::mouseClick(window.window.get(), Qt::LeftButton, {}, window.RowCentre(row, "inText"));
        }
        QQuickItem* RowItem(int row, const char* name) const { return window.InRow(row, name); }
        QString RowText(int row, const char* name) const
        {
            QQuickItem* item = RowItem(row, name);
            return item ? item->property("text").toString() : QStringLiteral("<no item>");
        }
    };

    // The row of the engine's panel event of a kind; -1 when the song has none.
    int RowOfKind(char code) const
    {
        const auto& events = show_->editModel->panelEvents;
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i]->code() == static_cast<unsigned char>(code))
                return int(i);
        }
        return -1;
    }

private slots:
    void initTestCase()
    {
        zarn::qt::RegisterTimelineMetaTypes();
        show_ = std::make_unique<EngineShow>();
        QCOMPARE(show_->editModel->songNumber, std::string("1"));
    }

    void cleanupTestCase() { show_.reset(); }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
        show_->editModel->selectedEvent = nullptr;
    }

    // ---- the model ----

    void rolesOnEngine_data()
    {
        QTest::addColumn<char>("code");
        QTest::addColumn<uint>("start");
        QTest::addColumn<uint>("end"); // 0: the out column shows "-"
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");

        QTest::newRow("cut") << codes::Cut << 5760u << 7680u << "Cut" << "";
        QTest::newRow("vamp") << codes::Vamp << 7680u << 9600u << "Vamp" << "2x";
        QTest::newRow("repeat") << codes::Repeat << 13440u << 15360u << "Repeat" << "2x";
        QTest::newRow("skip") << codes::Fermata << 17280u << 19200u << "Skip" << "";
        QTest::newRow("tempo scale") << codes::TempoScale << 21120u << 23040u << "Tempo" << "150%";
        QTest::newRow("transposition") << codes::Transpose << 24960u << 26880u << "Transpose" << "-2";
        QTest::newRow("click") << codes::Click << 28800u << 30720u << "Click" << "";
        QTest::newRow("caesura") << codes::Caesura << 11520u << 0u << "Caesura" << "";
        QTest::newRow("osc cue") << codes::Osc << 3840u << 0u << "OSC" << "/cue/1/go";
    }

    void rolesOnEngine()
    {
        QFETCH(char, code);
        QFETCH(uint, start);
        QFETCH(uint, end);
        QFETCH(QString, type);
        QFETCH(QString, value);

        std::vector<EventInfoItem> rows;
        for (const auto& event : show_->editModel->RefreshChangeLogPanelEvents())
            rows.push_back(zarn::qt::MakeEventInfoItem(*event));
        EventListModel model(rows, show_->editModel.get());
        Tester tester(&model, Tester::FailureReportingMode::Fatal);

        const int row = RowOfKind(code);
        QVERIFY(row >= 0);
        QCOMPARE(model.GetItem(row).startTick, start);
        QCOMPARE(Cell(model, row, EventListModel::InRole), show_->Bar(start));
        QCOMPARE(Cell(model, row, EventListModel::OutRole), end ? show_->Bar(end) : QStringLiteral("-"));
        QCOMPARE(Cell(model, row, EventListModel::TypeRole), type);
        QCOMPARE(Cell(model, row, EventListModel::CountRole), value);
        // The engine's bar texts are never empty, and a range's two ends differ.
        QVERIFY(!show_->Bar(start).isEmpty());
        if (end)
            QVERIFY(show_->Bar(start) != show_->Bar(end));
    }

    void rolesOfRecords_data()
    {
        QTest::addColumn<EventInfoItem>("record");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");

        // The fake's bar texts: 1920 "Bar 1920", 100 empty, 200 non-ASCII, 300 broken UTF-8.
        QTest::newRow("unpaired with an end") << Record(1920, 7680, codes::Caesura, "", false)
                                              << "Bar 1920" << "-" << "Caesura" << "";
        QTest::newRow("paired at tick 0") << Record(0, 1920, codes::Cut, "", true)
                                          << "Bar 0" << "Bar 1920" << "Cut" << "";
        QTest::newRow("skip") << Record(1920, 3840, codes::Fermata, "", true)
                              << "Bar 1920" << "Bar 3840" << "Skip" << "";
        QTest::newRow("unknown kind") << Record(1920, 3840, 'Z', "odd", true)
                                      << "Bar 1920" << "Bar 3840" << "" << "odd";
        QTest::newRow("kind byte 0") << Record(1920, 0, '\0', "", false) << "Bar 1920" << "-" << "" << "";
        QTest::newRow("empty bar text") << Record(100, 100, codes::Cut, "", true) << "" << "" << "Cut" << "";
        QTest::newRow("non-ASCII bar text") << Record(200, 1920, codes::Vamp, "\u221E", true)
                                            << "Takt 3\u00BD" << "Bar 1920" << "Vamp" << "\u221E";
        QTest::newRow("broken UTF-8") << Record(1920, 300, codes::Repeat, "2x", true)
                                      << "Bar 1920" << "3\uFFFD" << "Repeat" << "2x";
        QTest::newRow("sound effect value") << Record(1920, 3840, codes::Sfx, "\u25B6 Thunder", true)
                                            << "Bar 1920" << "Bar 3840" << "Sfx" << "\u25B6 Thunder";
        QTest::newRow("ambient") << Record(1920, 3840, codes::AmbientSfx, "Rain", true)
                                 << "Bar 1920" << "Bar 3840" << "Ambient Sfx" << "Rain";
    }

    void rolesOfRecords()
    {
        QFETCH(EventInfoItem, record);
        QFETCH(QString, in);
        QFETCH(QString, out);
        QFETCH(QString, type);
        QFETCH(QString, value);

        auto engine = std::make_shared<BarTextEngine>();
        engine->barsBeats["1"] = TL::TimelineSequence<TL::BarsBeats>({{0, 1, "1"}, {1920, 1, "2"}});
        engine->editor = std::make_unique<CL::Editor>(CL::ChangeLogData{});
        engine->barTexts = {{100, ""}, {200, "Takt 3\xC2\xBD"}, {300, "3\xFF"}};
        EditModel editModel(std::make_shared<zarn::ShowManager>(engine), true);

        EventListModel model({Record(0, 0, codes::Cut, "", false), record}, &editModel);
        Tester tester(&model, Tester::FailureReportingMode::Fatal);
        QCOMPARE(Cell(model, 1, EventListModel::InRole), in);
        QCOMPARE(Cell(model, 1, EventListModel::OutRole), out);
        QCOMPARE(Cell(model, 1, EventListModel::TypeRole), type);
        QCOMPARE(Cell(model, 1, EventListModel::CountRole), value);
    }

    void rowsAndLookups()
    {
        auto engine = std::make_shared<ShowFakeEngine>();
        engine->barsBeats["1"] = TL::TimelineSequence<TL::BarsBeats>({{0, 1, "1"}, {1920, 1, "2"}});
        engine->editor = std::make_unique<CL::Editor>(CL::ChangeLogData{});
        EditModel editModel(std::make_shared<zarn::ShowManager>(engine), true);

        const EventInfoItem cut = Record(1920, 3840, codes::Cut, "", true);
        const EventInfoItem vamp = Record(3840, 5760, codes::Vamp, "2x", true);
        EventListModel model({cut, vamp, cut}, &editModel);
        Tester tester(&model, Tester::FailureReportingMode::Fatal);

        const QHash<int, QByteArray> roles{{257, "in"}, {258, "out"}, {259, "type"}, {260, "count"}};
        QCOMPARE(model.roleNames(), roles);
        QCOMPARE(model.rowCount(), 3);

        // The first of two equal rows; a record that differs in any field has no row.
        QCOMPARE(model.IndexOf(cut), 0);
        QCOMPARE(model.IndexOf(vamp), 1);
        EventInfoItem other = vamp;
        other.text = QStringLiteral("3x");
        QCOMPARE(model.IndexOf(other), -1);
        QCOMPARE(model.IndexOf(EventInfoItem{}), -1);

        QCOMPARE(model.GetItem(1), vamp);
        for (int outside : {-1, 3, 1000})
            QCOMPARE(model.GetItem(outside), EventInfoItem{});

        QVERIFY(!model.data(model.index(0, 0), Qt::DisplayRole).isValid());
        QVERIFY(!model.data(model.index(0, 0), 261).isValid());
        // An index the model never handed out, such as a view may keep across a reset.
        struct Open : EventListModel
        {
            using EventListModel::EventListModel;
            QModelIndex At(int row) const { return createIndex(row, 0); }
        };
        const Open open({cut}, &editModel);
        QVERIFY(open.data(open.At(0), EventListModel::InRole).isValid());
        QVERIFY(!open.data(open.At(1), EventListModel::InRole).isValid());
        QVERIFY(!open.data(open.At(-1), EventListModel::InRole).isValid());

        // Bar texts are asked every time a cell is read.
        engine->clearCalls();
        Cell(model, 1, EventListModel::InRole);
        Cell(model, 1, EventListModel::InRole);
        Cell(model, 1, EventListModel::OutRole);
        QCOMPARE(engine->count("GetBarString(3840)"), 2);
        QCOMPARE(engine->count("GetBarString(5760)"), 1);

        // A refill is one reset, never row by row.
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
        model.SetItems({vamp});
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserts.count(), 0);
        QCOMPARE(removals.count(), 0);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.IndexOf(cut), -1);
        model.SetItems({});
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.GetItem(0), EventInfoItem{});
    }

    // ---- the controller on the view ----

    void rowsFollowThePanelEvents()
    {
        Page page(*show_->editModel);
        QSignalSpy changed(page.controller.get(), SIGNAL(CurrentItemChangedSignal(EventInfoItem)));
        QVERIFY(changed.isValid());
        Traffic traffic(*page.controller, *show_->editModel);

        const auto& events = show_->editModel->panelEvents;
        const auto check = [&] {
            QCOMPARE(page.controller->GetModel()->rowCount(), int(events.size()));
            QCOMPARE(page.window.List()->property("count").toInt(), int(events.size()));
            for (std::size_t i = 0; i < events.size(); ++i)
                QCOMPARE(page.controller->GetModel()->GetItem(int(i)), zarn::qt::MakeEventInfoItem(*events[i]));
            QCOMPARE(page.CurrentIndex(), -1);
        };
        // Song 1's change log less its two markers.
        QCOMPARE(events.size(), std::size_t(9));
        check();
        if (QTest::currentTestFailed())
            return;

        // The cells of the real rows.
        const int cut = RowOfKind(codes::Cut);
        QCOMPARE(page.RowText(cut, "inText"), show_->Bar(5760));
        QCOMPARE(page.RowText(cut, "outText"), show_->Bar(7680));
        QCOMPARE(page.RowText(cut, "typeText"), QStringLiteral("Cut"));
        QCOMPARE(page.RowText(RowOfKind(codes::Vamp), "countText"), QStringLiteral("2x"));
        QCOMPARE(page.RowText(RowOfKind(codes::Caesura), "outText"), QStringLiteral("-"));
        QCOMPARE(page.RowText(RowOfKind(codes::Fermata), "typeText"), QStringLiteral("Skip"));

        page.Click(3);
        QCOMPARE(page.CurrentIndex(), 3);
        changed.clear();
        traffic.log.clear();

        page.controller->blockSignals(true);
        page.controller->Refresh();
        QVERIFY(!page.controller->signalsBlocked());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(traffic.log, QStringList{});
        check();
    }

    void clicks_data()
    {
        QTest::addColumn<int>("before"); // the row clicked first; -1: none
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("traffic");

        const QStringList twice{"bus 4", "signal 4", "bus 4", "signal 4"};
        QTest::newRow("first choice") << -1 << 4 << twice;
        QTest::newRow("another row") << 1 << 4 << twice;
        QTest::newRow("current row") << 4 << 4 << QStringList{"bus 4", "signal 4"};
        QTest::newRow("top row") << 2 << 0 << QStringList{"bus 0", "signal 0", "bus 0", "signal 0"};
    }

    void clicks()
    {
        QFETCH(int, before);
        QFETCH(int, row);
        QFETCH(QStringList, traffic);

        Page page(*show_->editModel);
        Traffic seen(*page.controller, *show_->editModel);
        QSignalSpy changed(page.controller.get(), SIGNAL(CurrentItemChangedSignal(EventInfoItem)));
        if (before >= 0)
            page.Click(before);
        seen.log.clear();
        changed.clear();

        page.Click(row);
        QCOMPARE(seen.log, traffic);
        QCOMPARE(page.CurrentIndex(), row);
        // The record sent is the row's, and the bus made its event the selected one.
        QCOMPARE(changed.count(), traffic.size() / 2);
        const auto item = qvariant_cast<EventInfoItem>(changed.last().at(0));
        QCOMPARE(item, page.controller->GetModel()->GetItem(row));
        QVERIFY(show_->editModel->selectedEvent);
        QCOMPARE(zarn::qt::MakeEventInfoItem(*show_->editModel->selectedEvent), item);
    }

    void selectEvent_data()
    {
        QTest::addColumn<int>("event"); // a panel event's position; -1: none there; -2: null
        QTest::addColumn<bool>("duplicate"); // the rows start with a copy of that event's row
        QTest::addColumn<int>("row");

        QTest::newRow("listed") << 5 << false << 5;
        QTest::newRow("not listed") << -1 << false << -1;
        QTest::newRow("null") << -2 << false << -1;
        QTest::newRow("two equal rows") << 5 << true << 0;
    }

    void selectEvent()
    {
        QFETCH(int, event);
        QFETCH(bool, duplicate);
        QFETCH(int, row);

        Page page(*show_->editModel);
        const auto& events = show_->editModel->panelEvents;
        if (duplicate) {
            std::vector<EventInfoItem> rows{zarn::qt::MakeEventInfoItem(*events[std::size_t(event)])};
            for (const auto& e : events)
                rows.push_back(zarn::qt::MakeEventInfoItem(*e));
            page.controller->GetModel()->SetItems(rows);
        }
        page.Click(2);
        Traffic seen(*page.controller, *show_->editModel);
        QSignalSpy changed(page.controller.get(), SIGNAL(CurrentItemChangedSignal(EventInfoItem)));

        const CL::Cut missing(100, 200, "B0.9", 0);
        const cmn::ZarnEvent* target = event >= 0 ? events[std::size_t(event)].get()
            : event == -1 ? static_cast<const cmn::ZarnEvent*>(&missing) : nullptr;
        page.controller->SelectEvent(target);
        QCOMPARE(page.CurrentIndex(), row);
        // The caller knows the selection already: only the bus hears of a row.
        QCOMPARE(changed.count(), 0);
        QCOMPARE(seen.log, row >= 0 ? QStringList{QStringLiteral("bus %1").arg(row)} : QStringList{});
        QVERIFY(!page.controller->signalsBlocked());
    }

    void setCurrentIndex()
    {
        Page page(*show_->editModel);
        Traffic seen(*page.controller, *show_->editModel);

        page.controller->SetCurrentIndex(2);
        QCOMPARE(page.CurrentIndex(), 2);
        QCOMPARE(seen.log, (QStringList{"bus 2", "signal 2"}));

        seen.log.clear();
        page.controller->SetCurrentIndex(-1);
        QCOMPARE(page.CurrentIndex(), -1);
        QCOMPARE(seen.log, QStringList{});
    }

    void doubleClick_data()
    {
        QTest::addColumn<char>("code");
        QTest::addColumn<bool>("enableOsc");
        QTest::addColumn<int>("edits");

        QTest::newRow("osc, osc off") << codes::Osc << false << 0;
        QTest::newRow("osc, osc on") << codes::Osc << true << 1;
        QTest::newRow("cut, osc off") << codes::Cut << false << 1;
        QTest::newRow("skip, osc on") << codes::Fermata << true << 1;
    }

    void doubleClick()
    {
        QFETCH(char, code);
        QFETCH(bool, enableOsc);
        QFETCH(int, edits);

        Page page(*show_->editModel);
        page.window.view->setProperty("enableOsc", enableOsc);
        QSignalSpy edit(page.controller.get(), SIGNAL(EditSelectedItem()));
        QVERIFY(edit.isValid());

        const int row = RowOfKind(code);
        QTest::mouseDClick(page.window.window.get(), Qt::LeftButton, {}, page.window.RowCentre(row, "inText"));
        QCOMPARE(edit.count(), edits);
        QCOMPARE(page.CurrentIndex(), row);
    }

    void icons_data()
    {
        QTest::addColumn<char>("code");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("icon");

        QTest::newRow("skip") << codes::Fermata << "Skip" << "qrc:/images/fermata_event.svg";
        QTest::newRow("caesura") << codes::Caesura << "Caesura" << "qrc:/images/caesura.svg";
        QTest::newRow("click") << codes::Click << "Click" << "qrc:/images/click_event.svg";
        QTest::newRow("cut") << codes::Cut << "Cut" << "qrc:/images/cut.svg";
        QTest::newRow("repeat") << codes::Repeat << "Repeat" << "qrc:/images/repeat_event.svg";
        QTest::newRow("tempo scale") << codes::TempoScale << "Tempo" << "qrc:/images/tempo_event.svg";
        QTest::newRow("vamp") << codes::Vamp << "Vamp" << "qrc:/images/vamp_event.svg";
        QTest::newRow("transposition") << codes::Transpose << "Transpose" << "qrc:/images/transpose_event.svg";
        QTest::newRow("sound effect") << codes::Sfx << "Sfx" << "qrc:/images/sfx.svg";
        QTest::newRow("ambient") << codes::AmbientSfx << "Ambient Sfx" << "qrc:/images/ambient_audio_event.svg";
        QTest::newRow("osc") << codes::Osc << "OSC" << "qrc:/images/lan.svg";
        QTest::newRow("unknown kind") << 'Z' << "" << "";
    }

    void icons()
    {
        QFETCH(char, code);
        QFETCH(QString, type);
        QFETCH(QString, icon);

        Page page(*show_->editModel);
        page.controller->GetModel()->SetItems({Record(1920, 3840, code, "", true)});
        QCOMPARE(page.RowText(0, "typeText"), type);
        QQuickItem* image = page.RowItem(0, "icon");
        QVERIFY(image);
        QCOMPARE(image->property("source").toUrl(), QUrl(icon));
        // The picture is there, and as high as the row's text.
        if (!icon.isEmpty()) {
            QTRY_COMPARE(image->property("status").toInt(), 1); // Image.Ready
            QVERIFY(image->width() > 0);
            QCOMPARE(image->height(), page.RowItem(0, "inText")->implicitHeight());
        }
    }

    void controllerGoesFirst()
    {
        // The edit controller may go before the panel that holds the list.
        auto page = std::make_unique<Page>(*show_->editModel);
        page->Click(1);
        page->controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(page->window.view);
        page.reset();
    }
};

QTEST_MAIN(TestEventList)
#include "tst_event_list.moc"
