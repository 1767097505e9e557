// The edit panel on the harness editing page: the edit bar's tool buttons relayed as the
// panel's signals, the mixer tab, the OSC switch reaching the bar and the event list, the
// marker list's clicks reaching the panel, and the placeholders before a show.
#include "QmlModuleLoader.h"
#include "TimelineFixture.h"
#include "TimelineMetaTypes.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

QQuickItem* Child(QQuickItem* root, const char* name)
{
    auto* item = root->findChild<QQuickItem*>(QString::fromLatin1(name));
    if (!item)
        throw std::runtime_error(std::string("no item named ") + name);
    return item;
}

QPoint Centre(QQuickItem* item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2)).toPoint();
}

QPoint RowCentre(QQuickItem* view, int row)
{
    QQuickItem* list = Child(view, "list");
    list->ensurePolished();
    QQuickItem* delegate = nullptr;
    QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, delegate), Q_ARG(int, row));
    if (!delegate)
        throw std::runtime_error("no delegate for row " + std::to_string(row));
    return Centre(delegate);
}

// The harness page alone, before any controller has touched it.
struct BarePage
{
    BarePage()
    {
        zarn::qt::QmlModuleLoader::PrepareEngine(engine);
        QQmlComponent component(&engine, QUrl::fromLocalFile(QStringLiteral(CORVANE_TIMELINE_HARNESS)));
        window.reset(qobject_cast<QQuickWindow*>(component.create()));
        if (!window)
            throw std::runtime_error(component.errorString().toStdString());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            throw std::runtime_error("the page was not shown");
        panel = window->property("editPanelControl").value<QQuickItem*>();
    }

    QQmlEngine engine;
    std::unique_ptr<QQuickWindow> window;
    QQuickItem* panel = nullptr;
};

} // namespace

class TestEditPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        zarn::qt::RegisterTimelineMetaTypes();
    }

    void init()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("QObject::connect")));
    }

    void placeholdersBeforeAShow()
    {
        BarePage page;
        QCOMPARE(page.panel->property("logVersionText").toString(), QStringLiteral("Log v0.0"));
        QQuickItem* songs = page.panel->property("songListControl").value<QQuickItem*>();
        QTRY_COMPARE(Child(songs, "list")->property("count").toInt(), 2);
    }

    void toolButtonsRaiseThePanelsSignals_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("signal");
        const char* rows[][2] = {
            {"caesuraButton", "caesuraButtonPressed()"}, {"clickButton", "clickButtonPressed()"},
            {"cutButton", "cutButtonPressed()"},         {"markerButton", "markerButtonPressed()"},
            {"repeatButton", "repeatButtonPressed()"},   {"skipButton", "skipButtonPressed()"},
            {"tempoScaleButton", "tempoButtonPressed()"}, {"transposeButton", "transposeButtonPressed()"},
            {"vampButton", "vampButtonPressed()"},       {"oscButton", "oscButtonPressed()"},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
    }

    void toolButtonsRaiseThePanelsSignals()
    {
        QFETCH(QString, button);
        QFETCH(QString, signal);
        BarePage page;
        const QByteArray signature = "2" + signal.toLatin1();
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        const char* all[] = {"caesuraButtonPressed()", "clickButtonPressed()", "cutButtonPressed()",
                             "markerButtonPressed()", "repeatButtonPressed()", "skipButtonPressed()",
                             "tempoButtonPressed()", "transposeButtonPressed()", "vampButtonPressed()",
                             "oscButtonPressed()"};
        for (const char* name : all)
            spies.push_back(std::make_unique<QSignalSpy>(page.panel, QByteArray("2") + name));
        QQuickItem* bar = page.panel->property("editBarControl").value<QQuickItem*>();
        QTest::mouseClick(page.window.get(), Qt::LeftButton, {}, Centre(Child(bar, button.toLatin1())));
        for (std::size_t i = 0; i < spies.size(); ++i)
            QCOMPARE(spies[i]->size(), signal == QLatin1String(all[i]) ? 1 : 0);
    }

    void mixerTabFollowsShowMixer()
    {
        BarePage page;
        QQuickItem* tabs = Child(page.panel, "markerTabs");
        QQuickItem* mixerTab = Child(page.panel, "mixerTab");
        QQuickItem* markers = page.panel->property("markerListControl").value<QQuickItem*>();
        QQuickItem* mixer = page.panel->property("mixerControl").value<QQuickItem*>();
        QCOMPARE(tabs->property("currentIndex").toInt(), 0);
        QVERIFY(!mixerTab->isVisible());
        QVERIFY(markers->isVisible());
        QVERIFY(!mixer->isVisible());

        page.window->setProperty("showMixer", true);
        QCOMPARE(tabs->property("currentIndex").toInt(), 1);
        QVERIFY(mixerTab->isVisible());
        QVERIFY(Child(page.panel, "markerTab")->isVisible());
        QVERIFY(!markers->isVisible());
        QVERIFY(mixer->isVisible());
    }

    void oscSwitchReachesTheBarAndTheEventList()
    {
        BarePage page;
        QQuickItem* bar = page.panel->property("editBarControl").value<QQuickItem*>();
        QQuickItem* events = page.panel->property("eventListControl").value<QQuickItem*>();
        QVERIFY(Child(bar, "oscButton")->property("enabled").toBool());
        QVERIFY(events->property("enableOsc").toBool());
        page.window->setProperty("oscEnable", false);
        QVERIFY(!Child(bar, "oscButton")->property("enabled").toBool());
        QVERIFY(!bar->property("enableOsc").toBool());
        QVERIFY(!events->property("enableOsc").toBool());
    }

    // On the demo show: the song load fills the lists and the version label; a marker row's
    // click and double click reach the panel.
    void aLoadedSongFillsThePanel()
    {
        TimelineFixture f;
        f.LoadSong("1");
        QCOMPARE(f.editPanel->property("logVersionText").toString(),
                 QString::fromStdString("Log v" + f.showManager->GetLogVersion()));
        QQuickItem* songs = f.PanelPart("songListControl");
        QCOMPARE(songs->property("currentIndex").toInt(), 0);
        QVERIFY(f.PanelPart("markerListControl")->property("model").value<QObject*>() != nullptr);
        QCOMPARE(Child(f.PanelPart("eventListControl"), "list")->property("count").toInt(),
                 static_cast<int>(f.editModel->panelEvents.size()));

        QQuickItem* markers = f.PanelPart("markerListControl");
        QVERIFY(Child(markers, "list")->property("count").toInt() >= 2);
        QSignalSpy selected(f.editPanel, SIGNAL(markerSelected(int)));
        QSignalSpy edit(f.editPanel, SIGNAL(editSelectedMarkerItem()));
        QTest::mouseClick(f.window.get(), Qt::LeftButton, {}, RowCentre(markers, 1));
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.at(0).at(0).toInt(), 1);
        QCOMPARE(edit.size(), 0);
        QTest::mouseDClick(f.window.get(), Qt::LeftButton, {}, RowCentre(markers, 1));
        QCOMPARE(edit.size(), 1);
    }
};

QTEST_MAIN(TestEditPanel)
#include "tst_edit_panel.moc"
