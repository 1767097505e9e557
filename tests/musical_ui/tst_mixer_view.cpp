// The mixer page hosted as a mixer controller would host it: two sections of three tracks
// filled from C++, the page in a window, driven with the mouse and keys. What reaches the host
// is what the models' request signals and the page's four signals carry.
#include "MixerHost.h"
#include "QmlModuleLoader.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using zarn::qt::MixerModel;
using zarn::qt::MixerTracksModel;

class TestMixerView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void trackMuteCarriesTheTracksOwnId();
    void aTrackRowNeverChecksItsOwnButtons();
    void sectionSoloTwice();
    void tempoAndTransposeSendOnlyChanges();
    void altRightClickPutsTheClickOnItsMarkSilently();
    void generalSettingsTitle_data();
    void generalSettingsTitle();
    void aDisabledSoloIsGreyAndDeaf();
    void aMousePickSendsTwiceWithOneValue();
    void anInstrumentNotInTheListSendsNothing();
    void hostUpdatesShowWithoutRequests();

private:
    QQuickItem* Find(const char* name, int nth = 0) const;
    QQuickItem* Track(int section, int track) const;
    void Click(QQuickItem* item, Qt::MouseButton button = Qt::LeftButton,
               Qt::KeyboardModifiers modifiers = {}) const;

    std::unique_ptr<QQmlEngine> qml_;
    std::unique_ptr<QQuickWindow> window_;
    std::unique_ptr<MixerHost> host_;
    QQuickItem* view_ = nullptr;
};

void TestMixerView::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    qml_ = std::make_unique<QQmlEngine>();
    zarn::qt::QmlModuleLoader::PrepareEngine(*qml_);
    host_ = std::make_unique<MixerHost>(2, 3);
    window_ = std::make_unique<QQuickWindow>();
    window_->resize(900, 700);
    view_ = MixerHost::LoadView(*qml_, *window_);
    QVERIFY(view_);
    host_->Attach(view_);
    view_->setProperty("showTempoScale", true);
    view_->setProperty("showTranspose", true);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTRY_COMPARE(Track(1, 2) != nullptr, true);
}

void TestMixerView::cleanup()
{
    window_.reset();
    host_.reset();
    qml_.reset();
    view_ = nullptr;
}

namespace {

// Items a Repeater makes, and content moved into a section, hang in the visual tree only.
void Collect(QQuickItem* item, const QString& name, QList<QQuickItem*>& found)
{
    if (item->objectName() == name)
        found << item;
    for (QQuickItem* child : item->childItems())
        Collect(child, name, found);
}

} // namespace

QQuickItem* TestMixerView::Find(const char* name, int nth) const
{
    QList<QQuickItem*> sorted;
    Collect(view_, QLatin1String(name), sorted);
    // In the order they stand in the window.
    std::sort(sorted.begin(), sorted.end(), [](QQuickItem* a, QQuickItem* b) {
        const QPointF pa = a->mapToScene({0, 0});
        const QPointF pb = b->mapToScene({0, 0});
        return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
    });
    return nth < sorted.size() ? sorted[nth] : nullptr;
}

QQuickItem* TestMixerView::Track(int section, int track) const
{
    auto* sectionRepeater = view_->property("sectionRepeater").value<QQuickItem*>();
    QQuickItem* sectionItem = nullptr;
    QMetaObject::invokeMethod(sectionRepeater, "itemAt", Q_RETURN_ARG(QQuickItem*, sectionItem), Q_ARG(int, section));
    if (!sectionItem)
        return nullptr;
    auto* tracks = sectionItem->property("trackRepeater").value<QQuickItem*>();
    QQuickItem* trackItem = nullptr;
    QMetaObject::invokeMethod(tracks, "itemAt", Q_RETURN_ARG(QQuickItem*, trackItem), Q_ARG(int, track));
    return trackItem;
}

void TestMixerView::Click(QQuickItem* item, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) const
{
    QVERIFY(item);
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    QTest::mouseClick(item->window(), button, modifiers, centre.toPoint());
}

void TestMixerView::trackMuteCarriesTheTracksOwnId()
{
    QSignalSpy mute(host_->Tracks(1), &MixerTracksModel::muteTrackRequested);
    QQuickItem* track = Track(1, 2);
    auto* button = track->property("muteButton").value<QQuickItem*>();
    QVERIFY(!button->property("checked").toBool());
    Click(button);
    QCOMPARE(mute.size(), 1);
    QCOMPARE(mute[0][0].toInt(), MixerHost::TrackId(1, 2));
    QCOMPARE(mute[0][1].toBool(), true);
    // The write stored the role; the button shows the role.
    QTRY_VERIFY(button->property("checked").toBool());
    Click(button);
    QCOMPARE(mute.size(), 2);
    QCOMPARE(mute[1][1].toBool(), false);
}

void TestMixerView::aTrackRowNeverChecksItsOwnButtons()
{
    QQmlComponent component(qml_.get(), QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/MixerTrack.qml")));
    std::unique_ptr<QObject> object(component.create());
    auto* track = qobject_cast<QQuickItem*>(object.get());
    QVERIFY2(track, qPrintable(component.errorString()));
    track->setParentItem(window_->contentItem());
    track->setWidth(500);
    track->setY(600);
    QSignalSpy clicked(track, SIGNAL(muteClicked()));
    auto* button = track->property("muteButton").value<QQuickItem*>();
    Click(button);
    Click(button);
    QCOMPARE(clicked.size(), 2);
    QVERIFY(!track->property("isMuted").toBool());
}

void TestMixerView::sectionSoloTwice()
{
    QSignalSpy solo(host_->Sections(), &MixerModel::soloSectionRequested);
    QQuickItem* button = Find("sectionSoloButton", 1);
    Click(button);
    QTRY_VERIFY(button->property("checked").toBool());
    Click(button);
    QCOMPARE(solo.size(), 2);
    QCOMPARE(solo[0][0].toInt(), 1);
    QCOMPARE(solo[0][1].toBool(), true);
    QCOMPARE(solo[1][1].toBool(), false);
}

void TestMixerView::tempoAndTransposeSendOnlyChanges()
{
    QSignalSpy tempo(view_, SIGNAL(tempoScaleSet(double)));
    QSignalSpy transpose(view_, SIGNAL(transposeSet(double)));
    auto* tempoSlider = view_->property("tempoSlider").value<QQuickItem*>();
    auto* transposeSlider = view_->property("transposeSlider").value<QQuickItem*>();
    const auto move = [](QQuickItem* slider, double value) {
        slider->setProperty("value", value);
        QMetaObject::invokeMethod(slider, "moved");
    };
    // The last value sent starts at +1, so a first move that ends there sends nothing. A drag
    // cannot end there (+1 lies within the snap to 0): the snap is off to reach it.
    tempoSlider->setProperty("showZeroMark", false);
    move(tempoSlider, 1.0);
    QCOMPARE(tempo.size(), 0);
    tempoSlider->setProperty("showZeroMark", true);
    move(tempoSlider, 1.0);
    QCOMPARE(tempo.size(), 1);
    QCOMPARE(tempo[0][0].toDouble(), 0.0);
    tempo.clear();
    move(tempoSlider, 12.0);
    move(tempoSlider, 12.0);
    QCOMPARE(tempo.size(), 1);
    QCOMPARE(tempo[0][0].toDouble(), 12.0);
    QCOMPARE(Find("tempoText")->property("text").toString(), QStringLiteral("+12%"));
    move(tempoSlider, -7.0);
    QCOMPARE(Find("tempoText")->property("text").toString(), QStringLiteral("-7%"));

    move(transposeSlider, 2.4);
    move(transposeSlider, 2.6);
    QCOMPARE(transpose.size(), 2);
    QCOMPARE(transpose[1][0].toDouble(), 2.6);
    // Next to the zero mark the slider snaps onto it.
    move(transposeSlider, 0.2);
    QCOMPARE(transposeSlider->property("value").toDouble(), 0.0);
    QCOMPARE(Find("transposeText")->property("text").toString(), QStringLiteral("+0"));
}

void TestMixerView::altRightClickPutsTheClickOnItsMarkSilently()
{
    QSignalSpy click(view_, SIGNAL(clickVolumeSet(double)));
    auto* slider = view_->property("clickSlider").value<QQuickItem*>();
    QCOMPARE(Find("clickLevelText")->property("text").toString(), QStringLiteral("0.0 dB"));
    Click(slider, Qt::RightButton, Qt::AltModifier);
    QTRY_COMPARE(slider->property("value").toDouble(), 0.7866278611);
    QCOMPARE(Find("clickLevelText")->property("text").toString(), QStringLiteral("-6.0 dB"));
    QCOMPARE(click.size(), 0);
    // A host setting the position moves slider and text, and sends nothing.
    view_->setProperty("clickVolumeControlValueScaledDb", 1.0);
    QCOMPARE(Find("clickLevelText")->property("text").toString(), QStringLiteral("0.0 dB"));
    QCOMPARE(click.size(), 0);
}

void TestMixerView::generalSettingsTitle_data()
{
    QTest::addColumn<bool>("tempo");
    QTest::addColumn<bool>("transpose");
    QTest::addColumn<QString>("title");
    QTest::newRow("neither") << false << false << QString();
    QTest::newRow("tempo") << true << false << QStringLiteral("General Settings");
    QTest::newRow("transpose") << false << true << QStringLiteral("General Settings");
}

void TestMixerView::generalSettingsTitle()
{
    QFETCH(bool, tempo);
    QFETCH(bool, transpose);
    QFETCH(QString, title);
    view_->setProperty("showTempoScale", tempo);
    view_->setProperty("showTranspose", transpose);
    view_->setProperty("showClickVolume", false);
    auto* general = view_->property("generalSection").value<QQuickItem*>();
    QCOMPARE(general->property("title").toString(), title);
    QCOMPARE(general->property("titleBar").value<QQuickItem*>()->isVisible(), !title.isEmpty());
    // Without the click volume the reset button still shows and still reports.
    QSignalSpy reset(view_, SIGNAL(resetMixerClicked()));
    QTRY_VERIFY(Find("resetMixerButton")->isVisible());
    Click(Find("resetMixerButton"));
    QCOMPARE(reset.size(), 1);
}

void TestMixerView::aDisabledSoloIsGreyAndDeaf()
{
    QQmlComponent component(qml_.get(), QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/MixerTrack.qml")));
    std::unique_ptr<QObject> object(component.createWithInitialProperties({{"enableSolo", false}, {"isSolo", true}}));
    auto* track = qobject_cast<QQuickItem*>(object.get());
    QVERIFY2(track, qPrintable(component.errorString()));
    track->setParentItem(window_->contentItem());
    track->setWidth(500);
    track->setY(600);
    auto* solo = track->property("soloButton").value<QQuickItem*>();
    QCOMPARE(solo->property("activeColor").value<QColor>(), QColor("#333333"));
    QCOMPARE(solo->property("activeFillColor").value<QColor>(), QColor("#333333"));
    QCOMPARE(solo->property("activeFontColor").value<QColor>(), QColor("dimgray"));
    QSignalSpy clicked(track, SIGNAL(soloClicked()));
    Click(solo);
    QCOMPARE(clicked.size(), 0);
    // OutlineButton "M" not square: the letter plus 4 each way.
    auto* mute = track->property("muteButton").value<QQuickItem*>();
    mute->setProperty("makeSquare", false);
    QCOMPARE(mute->width(), mute->property("textWidth").toReal() + 4);
    QCOMPARE(mute->height(), mute->property("textHeight").toReal() + 4);
}

void TestMixerView::aMousePickSendsTwiceWithOneValue()
{
    QSignalSpy instrument(host_->Tracks(0), &MixerTracksModel::instrumentTrackRequested);
    QQuickItem* track = Track(0, 1);
    auto* box = track->property("instrumentControl").value<QQuickItem*>();
    QCOMPARE(box->property("currentIndex").toInt(), 1);
    instrument.clear();
    Click(box);
    auto* list = box->property("list").value<QQuickItem*>();
    QTRY_VERIFY(list->isVisible() && list->height() > 0);
    // The rows are 40 high: the third row's middle.
    const QPointF third = list->mapToScene(QPointF(list->width() / 2, 2 * 40 + 20));
    QTest::mouseMove(list->window(), third.toPoint());
    QTest::mouseClick(list->window(), Qt::LeftButton, {}, third.toPoint());
    QTRY_COMPARE(instrument.size(), 2);
    QCOMPARE(instrument[0][0].toInt(), MixerHost::TrackId(0, 1));
    QCOMPARE(instrument[0][1].toInt(), MixerHost::InstrumentValue(2));
    QCOMPARE(instrument[1][1].toInt(), MixerHost::InstrumentValue(2));
}

void TestMixerView::anInstrumentNotInTheListSendsNothing()
{
    // Track 0 of section 1 was given a value its list lacks.
    QQuickItem* track = Track(1, 0);
    QCOMPARE(track->property("currentInstrumentIndex").toInt(), -1);
    QCOMPARE(host_->InstrumentRequestsFor(MixerHost::TrackId(1, 0)), 0);
    QCOMPARE(host_->Tracks(1)->Track(0)->instrument, 99);
}

void TestMixerView::hostUpdatesShowWithoutRequests()
{
    QSignalSpy volume(host_->Tracks(0), &MixerTracksModel::volumeTrackRequested);
    host_->Step(0.5);
    QQuickItem* track = Track(0, 2);
    auto* slider = track->property("volumeSlider").value<QQuickItem*>();
    QTRY_COMPARE(slider->property("value").toFloat(), host_->Tracks(0)->Track(2)->volumeScaledDb);
    QCOMPARE(volume.size(), 0);
}

QTEST_MAIN(TestMixerView)
#include "tst_mixer_view.moc"
