// The edit panel's song list: the model under the model tester, and the controller on the
// real view in an offscreen window, over the fake engine where a call must be seen and
// once over the real engine.
#include "EngineFixture.h"
#include "ShowFakeEngine.h"
#include "SongListController.h"
#include "SongListModel.h"
#include "TimelineMetaTypes.h"
#include "ViewWindow.h"

#include <QAbstractItemModelTester>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using zarn::qt::SongListController;
using zarn::qt::SongListModel;

namespace {

constexpr auto Fatal = QAbstractItemModelTester::FailureReportingMode::Fatal;

// Catches what is written to a standard stream while it lives.
class StreamCapture
{
public:
    explicit StreamCapture(std::ostream& stream) : stream_(stream), old_(stream.rdbuf(buffer_.rdbuf())) {}
    ~StreamCapture() { stream_.rdbuf(old_); }
    std::string Text() const { return buffer_.str(); }

private:
    std::ostream& stream_;
    std::ostringstream buffer_;
    std::streambuf* old_;
};

// The song list as the edit panel holds it: the fake engine, the view in its window and the
// controller over both. Fields of the fake may be changed before Start().
struct Page
{
    void Start() { controller = std::make_unique<SongListController>(window.view, &fake); }

    QQuickItem* InRow(int row, const char* objectName) const
    {
        QQuickItem* list = window.List();
        list->ensurePolished();
        QQuickItem* delegate = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, delegate), Q_ARG(int, row));
        return delegate ? delegate->findChild<QQuickItem*>(QString::fromLatin1(objectName)) : nullptr;
    }
    QUrl Icon(int row) const
    {
        QQuickItem* icon = InRow(row, "stateIcon");
        return icon ? icon->property("source").toUrl() : QUrl();
    }
    int CurrentIndex() const { return window.view->property("currentIndex").toInt(); }
    int Count() const { return window.List()->property("count").toInt(); }
    void Click(int row, const char* objectName = nullptr) const
    {
        QTest::mouseClick(window.window.get(), Qt::LeftButton, {}, window.RowCentre(row, objectName));
    }

    ShowFakeEngine fake;
    ViewWindow window{QStringLiteral("SongListView")};
    std::unique_ptr<SongListController> controller;
};

const QUrl kPlays(QStringLiteral("qrc:/images/check.svg"));
const QUrl kContinue(QStringLiteral("qrc:/images/down.svg"));
const QUrl kSkip(QStringLiteral("qrc:/images/x.svg"));

std::vector<SongListRow> FourSongs()
{
    return {{"1", "Overture", 0}, {"2", "Opening", 1}, {"10", "Finale", 2}, {"12a", "Encore", 0}};
}

} // namespace

using States = QList<int>;
using Urls = QList<QUrl>;

class TestSongList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { zarn::qt::RegisterTimelineMetaTypes(); }

    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect"))); }

    // --- the model ---

    void roles_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QVariant>("status");

        QTest::newRow("0 plays") << 0 << QVariant(QStringLiteral("plays"));
        QTest::newRow("1 continue") << 1 << QVariant(QStringLiteral("continue"));
        QTest::newRow("2 skip") << 2 << QVariant(QStringLiteral("x"));
        QTest::newRow("3 not a state") << 3 << QVariant();
    }

    void roles()
    {
        QFETCH(int, state);
        QFETCH(QVariant, status);

        SongListModel model({{"12a", "Tonight", static_cast<UInt8>(state)}});
        QAbstractItemModelTester tester(&model, Fatal);

        QCOMPARE(model.roleNames(), (QHash<int, QByteArray>{{257, "song_number"}, {258, "status"}, {259, "song_name"}}));
        const QModelIndex index = model.index(0);
        QCOMPARE(model.data(index, 257), QVariant(QStringLiteral("12a")));
        QCOMPARE(model.data(index, 258), status);
        QCOMPARE(model.data(index, 259), QVariant(QStringLiteral("Tonight")));
        QVERIFY(!model.data(index, Qt::DisplayRole).isValid());
        QVERIFY(!model.data(index, 260).isValid());
        QVERIFY(!model.data(model.index(1), 257).isValid());
        QVERIFY(!model.data(QModelIndex(), 257).isValid());
    }

    void texts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");

        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("accents and symbols") << QByteArray("\xc3\x87" "a ira \xe2\x80\x93 \xe2\x99\xaa")
                                             << QStringLiteral("\u00c7a ira \u2013 \u266a");
        QTest::newRow("invalid byte") << QByteArray("Bad\xff" "Name") << QStringLiteral("Bad\ufffdName");
    }

    // Engine texts are UTF-8, whatever the show's author typed.
    void texts()
    {
        QFETCH(QByteArray, bytes);
        const std::string raw = bytes.toStdString();

        SongListModel model({{raw, raw, 0}});
        QAbstractItemModelTester tester(&model, Fatal);

        QTEST(model.data(model.index(0), 257).toString(), "text");
        QTEST(model.data(model.index(0), 259).toString(), "text");
    }

    void findSongRow_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("row");

        QTest::newRow("first") << "1" << 0;
        QTest::newRow("numeric text") << "10" << 2;
        QTest::newRow("with a letter") << "12a" << 3;
        QTest::newRow("leading zero is another song") << "01" << 4;
        QTest::newRow("case counts") << "12A" << 4;
        QTest::newRow("empty") << "" << 4;
    }

    void findSongRow()
    {
        QFETCH(QString, number);
        QFETCH(int, row);

        SongListModel model(FourSongs());
        QAbstractItemModelTester tester(&model, Fatal);

        QCOMPARE(model.FindSongRow(number.toStdString()), row);
        QCOMPARE(model.GetSongNumber(row), row < model.rowCount() ? number.toStdString() : std::string());
    }

    void songNumberOutsideTheList()
    {
        SongListModel model(FourSongs());
        for (int row : {-1, 4, 1000})
            QCOMPARE(model.GetSongNumber(row), std::string());
        SongListModel empty;
        QAbstractItemModelTester tester(&empty, Fatal);
        QCOMPARE(empty.rowCount(), 0);
        QCOMPARE(empty.FindSongRow("1"), 0);
        QCOMPARE(empty.GetSongNumber(0), std::string());
    }

    void cycleAttaccaState_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<States>("states");

        QTest::newRow("from plays") << 0 << States{1, 2, 0};
        QTest::newRow("from skip") << 2 << States{0, 1, 2};
        QTest::newRow("from a stray value") << 7 << States{2, 0, 1};
    }

    void cycleAttaccaState()
    {
        QFETCH(int, start);
        QFETCH(States, states);

        auto rows = FourSongs();
        rows[2].attacca = static_cast<UInt8>(start);
        SongListModel model(rows);
        QAbstractItemModelTester tester(&model, Fatal);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        for (int k = 0; k < states.size(); ++k) {
            QCOMPARE(int(model.CycleAttaccaState("10")), states[k]);
            QCOMPARE(int(model.Rows()[2].attacca), states[k]);
            QCOMPARE(changed.size(), k + 1);
            QCOMPARE(changed.last().at(0).toModelIndex(), model.index(2));
            QCOMPARE(changed.last().at(1).toModelIndex(), model.index(2));
        }
        changed.clear();
        QCOMPARE(int(model.CycleAttaccaState("99")), 0);
        QCOMPARE(changed.size(), 0);
    }

    void setAttaccaStates()
    {
        SongListModel model(FourSongs()); // states 0, 1, 2, 0
        QAbstractItemModelTester tester(&model, Fatal);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        auto states = [&model] {
            States s;
            for (const auto& row : model.Rows())
                s << row.attacca;
            return s;
        };

        model.SetAttaccaStates({0, 2, 2, 1});
        QCOMPARE(states(), (States{0, 2, 2, 1}));
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(1));
        QCOMPARE(changed.at(1).at(0).toModelIndex(), model.index(3));

        // A list of another length touches only the rows it reaches.
        changed.clear();
        model.SetAttaccaStates({1});
        model.SetAttaccaStates({1, 2, 2, 1, 0, 0});
        QCOMPARE(states(), (States{1, 2, 2, 1}));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex(), model.index(0));
    }

    // --- the controller on the view ---

    void rowsComeFromTheEngine_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QUrl>("icon");
        QTest::addColumn<QString>("tip");

        QTest::newRow("0 plays") << 0 << kPlays << "Play song when cued";
        QTest::newRow("1 continue") << 1 << kContinue << "Auto-play next song (attacca)";
        QTest::newRow("2 skip") << 2 << kSkip << "Skip song";
        QTest::newRow("3 shows as plays") << 3 << kPlays << "Play song when cued";
    }

    void rowsComeFromTheEngine()
    {
        QFETCH(int, state);

        Page page;
        page.fake.attacca["2"] = static_cast<UInt8>(state);
        page.Start();

        SongListModel* model = page.controller->GetModel();
        QCOMPARE(page.window.view->property("model").value<QObject*>(), static_cast<QObject*>(model));
        QCOMPARE(page.Count(), 3);
        QCOMPARE(model->GetSongNumber(0), std::string("1"));
        QCOMPARE(model->GetSongNumber(1), std::string("2"));
        QCOMPARE(model->GetSongNumber(2), std::string("10"));
        QCOMPARE(model->data(model->index(2), 259).toString(), QStringLiteral("Finale"));
        QCOMPARE(int(model->Rows()[1].attacca), state);
        QTEST(page.Icon(1), "icon");
        QCOMPARE(page.Icon(0), kPlays);
        QObject* tip = page.InRow(1, "stateIcon")->findChild<QObject*>(QStringLiteral("stateToolTip"));
        QVERIFY(tip);
        QTEST(tip->property("text").toString(), "tip");
    }

    void clickingARow_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("loads");
        QTest::addColumn<std::string>("current");

        QTest::newRow("another song loads it") << 2 << 1 << std::string("10");
        QTest::newRow("the loaded song does nothing") << 0 << 0 << std::string("1");
    }

    void clickingARow()
    {
        QFETCH(int, row);
        QFETCH(int, loads);

        Page page;
        page.Start();
        page.fake.clearCalls();

        StreamCapture out(std::cout);
        page.Click(row);

        QCOMPARE(page.fake.count("LoadSong(10)") + page.fake.count("LoadSong(1)"), loads);
        QTEST(page.fake.currentSong, "current");
        QCOMPARE(page.CurrentIndex(), row);
        QCOMPARE(out.Text(), "Index Changed: " + std::to_string(row) + "\n");
    }

    void rowsOutsideTheListLoadNothing()
    {
        Page page;
        page.Start();
        page.fake.clearCalls();

        for (int row : {-1, 3, 100})
            page.controller->ItemClicked_(row);
        QVERIFY(page.fake.calls().empty());
    }

    void clickingTheStateIcon_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<States>("states");
        QTest::addColumn<Urls>("icons");

        QTest::newRow("from plays") << 0 << States{1, 2, 0} << Urls{kContinue, kSkip, kPlays};
        QTest::newRow("from continue") << 1 << States{2, 0, 1} << Urls{kSkip, kPlays, kContinue};
    }

    // Three clicks bring the song round to where it started; each one is relayed, redrawn at
    // once, and leaves the loaded song's row selected.
    void clickingTheStateIcon()
    {
        QFETCH(int, start);
        QFETCH(States, states);
        QFETCH(Urls, icons);

        Page page;
        page.fake.attacca["10"] = static_cast<UInt8>(start);
        page.Start();
        page.controller->SelectSong("1");
        QCOMPARE(page.CurrentIndex(), 0);
        QSignalSpy relayed(page.controller.get(), &SongListController::AttaccaStateChanged);
        page.fake.clearCalls();

        for (int k = 0; k < 3; ++k) {
            StreamCapture out(std::cout);
            page.Click(2, "stateIcon");
            QCOMPARE(relayed.size(), k + 1);
            QCOMPARE(relayed.last().at(0).value<std::string>(), std::string("10"));
            QCOMPARE(int(relayed.last().at(1).value<UInt8>()), states[k]);
            QCOMPARE(page.Icon(2), icons[k]);
            QCOMPARE(page.CurrentIndex(), 0);
            const QString status = page.controller->GetModel()->data(page.controller->GetModel()->index(2), 258).toString();
            QCOMPARE(out.Text(), "New state = " + status.toStdString() + "\n");
        }
        QCOMPARE(int(page.controller->GetModel()->Rows()[2].attacca), start);
        // Applying the state to the engine is the relay's receiver's business.
        QVERIFY(page.fake.calls().empty());
    }

    void unknownSongStateChangeIsNotAChange()
    {
        Page page;
        page.fake.attacca["2"] = 1;
        page.Start();
        QSignalSpy relayed(page.controller.get(), &SongListController::AttaccaStateChanged);
        QSignalSpy changed(page.controller->GetModel(), &QAbstractItemModel::dataChanged);

        StreamCapture err(std::cerr);
        page.controller->AttaccaStateChanged_(QStringLiteral("99"));

        QCOMPARE(err.Text(), std::string("Invalid index for attacca state change."));
        QCOMPARE(relayed.size(), 0);
        QCOMPARE(changed.size(), 0);
        QCOMPARE(page.Icon(1), kContinue);
    }

    void updateAttaccaStates()
    {
        Page page;
        page.fake.attacca = {{"1", 0}, {"2", 1}, {"10", 2}};
        page.Start();
        QSignalSpy changed(page.controller->GetModel(), &QAbstractItemModel::dataChanged);

        page.fake.attacca["2"] = 2;
        page.controller->UpdateAttaccaStates();

        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 1);
        QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 1);
        QCOMPARE(page.Icon(1), kSkip);
        QCOMPARE(page.Icon(2), kSkip);

        changed.clear();
        page.controller->UpdateAttaccaStates();
        QCOMPARE(changed.size(), 0);
    }

    void selectSong_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<std::string>("song");
        QTest::addColumn<int>("index");
        QTest::addColumn<std::string>("output");

        const std::string moved = "Setting to New Index!\n";
        const std::string stays = "Already at loaded song index\n";
        QTest::newRow("another song") << 0 << std::string("10") << 2 << moved;
        QTest::newRow("back to the first") << 2 << std::string("1") << 0 << moved;
        QTest::newRow("the current song") << 1 << std::string("2") << 1 << stays;
        QTest::newRow("a song not listed") << 1 << std::string("99") << -1 << moved;
        QTest::newRow("not listed, none selected") << -1 << std::string("99") << -1 << stays;
    }

    void selectSong()
    {
        QFETCH(int, start);
        QFETCH(std::string, song);

        Page page;
        page.Start();
        page.window.view->setProperty("currentIndex", start);
        page.fake.clearCalls();

        StreamCapture out(std::cout);
        page.controller->SelectSong(song);

        QTEST(page.CurrentIndex(), "index");
        QTEST(out.Text(), "output");
        QVERIFY(page.fake.calls().empty());
        QVERIFY(!page.controller->signalsBlocked());
    }

    void noSongs()
    {
        Page page;
        page.fake.songs.clear();
        page.Start();

        QCOMPARE(page.Count(), 0);
        page.controller->ItemClicked_(0);
        QCOMPARE(page.fake.count("LoadSong(1)"), 0);
        page.controller->SelectSong("1");
        QCOMPARE(page.CurrentIndex(), -1);
        page.controller->UpdateAttaccaStates();
        QCOMPARE(page.Count(), 0);
    }

    void longNamesAreElided()
    {
        Page page;
        page.fake.songs = {{"1", std::string(300, 'W')}, {"2", "\xc3\x87" "a ira"}};
        page.Start();

        QQuickItem* name = page.InRow(0, "songName");
        QVERIFY(name);
        QVERIFY(name->property("truncated").toBool());
        QVERIFY(name->x() + name->width() <= page.window.List()->width() - 40);
        QCOMPARE(page.InRow(1, "songName")->property("text").toString(), QStringLiteral("\u00c7a ira"));
    }

    // The edit panel's view outlives the controller when a show is closed.
    void viewKeepsNoModelOfAGoneController()
    {
        Page page;
        page.Start();
        QCOMPARE(page.Count(), 3);

        page.controller.reset();
        QCOMPARE(page.Count(), 0);
        QVERIFY(!page.window.view->property("model").value<QObject*>());
    }

    void onTheRealEngine()
    {
        EngineFixture fixture;
        fixture.Start();
        Interface* engine = fixture.engine.get();
        engine->LoadSong("1");
        ViewWindow window(QStringLiteral("SongListView"));
        SongListController controller(window.view, engine);
        SongListModel* model = controller.GetModel();

        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->GetSongNumber(2), std::string("10"));
        QCOMPARE(model->data(model->index(1), 258).toString(), QStringLiteral("continue"));

        QTest::mouseClick(window.window.get(), Qt::LeftButton, {}, window.RowCentre(1));
        QCOMPARE(engine->GetCurrentSongNumber(), std::string("2"));
        controller.SelectSong(engine->GetCurrentSongNumber());
        QCOMPARE(window.view->property("currentIndex").toInt(), 1);
    }
};

QTEST_MAIN(TestSongList)
#include "tst_song_list.moc"
