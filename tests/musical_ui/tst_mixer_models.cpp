// The mixer's section and track models as the screens write them and as a host fills and
// follows them: which writes are refused, which request each accepted write raises and with
// what, the change notices in their order, the volume's linear gain, and who deletes what.
#include "MixerModels.h"
#include "StringValueListModel.h"

#include <QAbstractItemModelTester>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <memory>

using zarn::qt::MixerModel;
using zarn::qt::MixerSectionItem;
using zarn::qt::MixerTrackItem;
using zarn::qt::MixerTracksModel;

namespace {

// Every signal of both models, in the order they came, as text.
class Recorder : public QObject
{
public:
    Recorder(MixerModel& sections, MixerTracksModel& tracks)
    {
        connect(&sections, &MixerModel::muteSectionRequested, this,
                [this](int row, bool v) { log << QStringLiteral("muteSection %1 %2").arg(row).arg(v); });
        connect(&sections, &MixerModel::soloSectionRequested, this,
                [this](int row, bool v) { log << QStringLiteral("soloSection %1 %2").arg(row).arg(v); });
        connect(&tracks, &MixerTracksModel::muteTrackRequested, this,
                [this](int id, bool v) { log << QStringLiteral("muteTrack %1 %2").arg(id).arg(v); });
        connect(&tracks, &MixerTracksModel::soloTrackRequested, this,
                [this](int id, bool v) { log << QStringLiteral("soloTrack %1 %2").arg(id).arg(v); });
        connect(&tracks, &MixerTracksModel::panTrackRequested, this,
                [this](int id, double v) { log << QStringLiteral("panTrack %1 %2").arg(id).arg(v); });
        connect(&tracks, &MixerTracksModel::instrumentTrackRequested, this,
                [this](int id, int v) { log << QStringLiteral("instrumentTrack %1 %2").arg(id).arg(v); });
        connect(&tracks, &MixerTracksModel::volumeTrackRequested, this, [this](int id, double v) {
            log << QStringLiteral("volumeTrack %1").arg(id);
            gains << v;
        });
        for (QAbstractItemModel* model : {static_cast<QAbstractItemModel*>(&sections), static_cast<QAbstractItemModel*>(&tracks)}) {
            const QString who = model == &sections ? QStringLiteral("sections") : QStringLiteral("tracks");
            connect(model, &QAbstractItemModel::dataChanged, this,
                    [this, who](const QModelIndex& from, const QModelIndex&, const QList<int>& roles) {
                        QStringList names;
                        for (int role : roles)
                            names << QString::number(role);
                        log << QStringLiteral("changed %1 %2 [%3]").arg(who).arg(from.row()).arg(names.join(','));
                    });
        }
    }

    QStringList log;
    QList<double> gains;
};

} // namespace

class TestMixerModels : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writes_data();
    void writes();
    void volumeToLinearGain_data();
    void volumeToLinearGain();
    void objectRolesAndAnEmptyModel();
    void hostFillsClearsAndFollowsQuietly();
    void whoDeletesWhat();

private:
    std::unique_ptr<MixerModel> sections_;
    std::unique_ptr<MixerTracksModel> tracks_;
    std::vector<std::unique_ptr<MixerSectionItem>> sectionItems_;
    std::unique_ptr<StringValueListModel> instruments_;
};

void TestMixerModels::init()
{
    sections_ = std::make_unique<MixerModel>();
    tracks_ = std::make_unique<MixerTracksModel>();
    instruments_ = std::make_unique<StringValueListModel>();
    instruments_->append({QStringLiteral("Piano"), 3});
    sectionItems_.clear();
    for (const char* name : {"Band", "Strings", "Choir"}) {
        sectionItems_.push_back(std::make_unique<MixerSectionItem>(QString::fromLatin1(name), QString(), tracks_.get()));
        sections_->AppendSection(sectionItems_.back().get());
    }
    for (int id : {40, 41}) {
        auto track = std::make_unique<MixerTrackItem>(QStringLiteral("Track %1").arg(id), id);
        track->instrumentModel = instruments_.get();
        tracks_->AppendTrack(std::move(track));
    }
}

void TestMixerModels::cleanup()
{
    tracks_.reset();
    sections_.reset();
    sectionItems_.clear();
    instruments_.reset();
}

void TestMixerModels::writes_data()
{
    QTest::addColumn<bool>("onSections");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("role");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("section tracksModel refused") << true << 0 << "tracksModel" << QVariant(1) << false << QStringList{};
    QTest::newRow("section tooltip refused") << true << 0 << "tooltip" << QVariant("tip") << false << QStringList{};
    QTest::newRow("track instrumentModel refused") << false << 0 << "instrumentModel" << QVariant() << false << QStringList{};
    QTest::newRow("section row 3 refused") << true << 3 << "isSolo" << QVariant(true) << false << QStringList{};
    QTest::newRow("track row -1 refused") << false << -1 << "isMuted" << QVariant(true) << false << QStringList{};
    QTest::newRow("section solo on row 2")
        << true << 2 << "isSolo" << QVariant(true) << true << QStringList{"soloSection 2 1", "changed sections 2 [259]"};
    QTest::newRow("section mute")
        << true << 1 << "isMuted" << QVariant(false) << true << QStringList{"muteSection 1 0", "changed sections 1 [258]"};
    QTest::newRow("section name without request") << true << 0 << "name" << QVariant("Horns") << true
                                                  << QStringList{"changed sections 0 [257]"};
    QTest::newRow("track mute: request, row, role")
        << false << 1 << "isMuted" << QVariant(true) << true
        << QStringList{"muteTrack 41 1", "changed tracks 1 []", "changed tracks 1 [257]"};
    QTest::newRow("track solo by trackId") << false << 1 << "isSolo" << QVariant(true) << true
                                           << QStringList{"soloTrack 41 1", "changed tracks 1 [258]"};
    QTest::newRow("track pan") << false << 0 << "pan" << QVariant(-0.5) << true
                               << QStringList{"panTrack 40 -0.5", "changed tracks 0 [260]"};
    QTest::newRow("track instrument") << false << 0 << "instrument" << QVariant(7) << true
                                      << QStringList{"instrumentTrack 40 7", "changed tracks 0 [263]"};
    QTest::newRow("track volume") << false << 0 << "volumeScaledDb" << QVariant(0.5) << true
                                  << QStringList{"volumeTrack 40", "changed tracks 0 [259]"};
    QTest::newRow("track name without request") << false << 0 << "name" << QVariant("Bass") << true
                                                << QStringList{"changed tracks 0 [264]"};
    QTest::newRow("track enableSolo without request") << false << 0 << "enableSolo" << QVariant(false) << true
                                                      << QStringList{"changed tracks 0 [262]"};
    QTest::newRow("unlisted role") << false << 0 << "" << QVariant(1) << false << QStringList{};
}

void TestMixerModels::writes()
{
    QFETCH(bool, onSections);
    QFETCH(int, row);
    QFETCH(QString, role);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    QFETCH(QStringList, log);
    Recorder recorder(*sections_, *tracks_);
    QAbstractItemModel* model = onSections ? static_cast<QAbstractItemModel*>(sections_.get())
                                           : static_cast<QAbstractItemModel*>(tracks_.get());
    const int roleNumber = role.isEmpty() ? Qt::UserRole + 40 : model->roleNames().key(role.toUtf8(), -1);
    QVERIFY(roleNumber != -1);
    const QModelIndex index = row >= 0 && row < model->rowCount() ? model->index(row, 0) : QModelIndex();
    QCOMPARE(model->setData(index, value, roleNumber), accepted);
    QCOMPARE(recorder.log, log);
    if (accepted && roleNumber == MixerTracksModel::IsMutedRole && !onSections) {
        // The same value again is stored and requested again, with both notices.
        recorder.log.clear();
        QVERIFY(model->setData(index, value, roleNumber));
        QCOMPARE(recorder.log, log);
    }
    if (accepted && roleNumber != MixerTracksModel::VolumeScaledDbRole)
        QCOMPARE(model->data(index, roleNumber).toString(), value.toString());
}

void TestMixerModels::volumeToLinearGain_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<double>("gain");
    QTest::newRow("0 dB") << 1.0 << 1.0;
    QTest::newRow("0") << 0.0 << 0.0;
    QTest::newRow("0.5") << 0.5 << 0.136008;
    QTest::newRow("-6 dB") << 0.7866278611 << 0.501187;
    QTest::newRow("-80 dB") << 0.04076220398 << 0.0001;
}

void TestMixerModels::volumeToLinearGain()
{
    QFETCH(double, position);
    QFETCH(double, gain);
    Recorder recorder(*sections_, *tracks_);
    const QModelIndex row = tracks_->index(0);
    // A repeated write is stored and requested again.
    QVERIFY(tracks_->setData(row, position, MixerTracksModel::VolumeScaledDbRole));
    QVERIFY(tracks_->setData(row, position, MixerTracksModel::VolumeScaledDbRole));
    QCOMPARE(recorder.gains.size(), 2);
    if (gain == 0.0 || gain == 1.0)
        QCOMPARE(recorder.gains[0], gain);
    else
        QVERIFY2(std::abs(recorder.gains[0] - gain) < gain * 1e-4, qPrintable(QString::number(recorder.gains[0], 'g', 10)));
    // The role keeps the position, not the gain.
    QCOMPARE(tracks_->data(row, MixerTracksModel::VolumeScaledDbRole).toFloat(), static_cast<float>(position));
}

void TestMixerModels::objectRolesAndAnEmptyModel()
{
    QCOMPARE(sections_->data(sections_->index(0), MixerModel::TracksModelRole).value<QObject*>(), tracks_.get());
    QCOMPARE(tracks_->data(tracks_->index(0), MixerTracksModel::InstrumentModelRole).value<QObject*>(),
             instruments_.get());
    MixerModel empty;
    MixerTracksModel emptyTracks;
    QCOMPARE(empty.rowCount(), 0);
    QCOMPARE(empty.rowCount(sections_->index(0)), 0);
    QVERIFY(!empty.data(empty.index(0), MixerModel::NameRole).isValid());
    QVERIFY(!emptyTracks.data(emptyTracks.index(0), MixerTracksModel::NameRole).isValid());
    QVERIFY(!tracks_->data(tracks_->index(0), Qt::UserRole + 10).isValid());
    // An index of another model is not a row of this one.
    QVERIFY(!tracks_->setData(sections_->index(0), true, MixerTracksModel::IsMutedRole));
}

void TestMixerModels::hostFillsClearsAndFollowsQuietly()
{
    MixerModel sections;
    MixerTracksModel tracks;
    QAbstractItemModelTester sectionTester(&sections, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester trackTester(&tracks, QAbstractItemModelTester::FailureReportingMode::QtTest);
    MixerSectionItem band(QStringLiteral("Band"), QStringLiteral("The rhythm section"), &tracks);
    QSignalSpy inserted(&tracks, &QAbstractItemModel::rowsInserted);
    sections.AppendSection(&band);
    tracks.AppendTrack(std::make_unique<MixerTrackItem>(QStringLiteral("Bass"), 7));
    tracks.AppendTrack(std::make_unique<MixerTrackItem>(QStringLiteral("Keys"), 9));
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(tracks.RowOfTrack(9), 1);
    QCOMPARE(tracks.RowOfTrack(10), -1);

    Recorder recorder(sections, tracks);
    QVERIFY(tracks.UpdateShown(1, MixerTracksModel::VolumeScaledDbRole, 0.25));
    QVERIFY(tracks.UpdateShown(1, MixerTracksModel::IsMutedRole, true));
    QVERIFY(sections.UpdateShown(0, MixerModel::IsSoloRole, true));
    QVERIFY(!tracks.UpdateShown(2, MixerTracksModel::PanRole, 0.5));
    QVERIFY(!sections.UpdateShown(0, MixerModel::TracksModelRole, 0));
    // Several roles of a track in one notice; one role that cannot be written refuses them all.
    QVERIFY(tracks.UpdateShown(0, {{MixerTracksModel::VolumeScaledDbRole, 0.5}, {MixerTracksModel::PanRole, -1.0}}));
    QVERIFY(!tracks.UpdateShown(0, {{MixerTracksModel::PanRole, 1.0}, {MixerTracksModel::InstrumentModelRole, 0}}));
    QCOMPARE(tracks.Track(0)->pan, -1.0f);
    QCOMPARE(recorder.log, (QStringList{"changed tracks 1 [259]", "changed tracks 1 [257]", "changed sections 0 [259]",
                                        "changed tracks 0 [259,260]"}));
    QCOMPARE(tracks.Track(1)->volumeScaledDb, 0.25f);
    QVERIFY(band.isSolo());

    QSignalSpy reset(&tracks, &QAbstractItemModel::modelReset);
    tracks.Clear();
    sections.Clear();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(tracks.rowCount(), 0);
    QCOMPARE(sections.rowCount(), 0);
}

void TestMixerModels::whoDeletesWhat()
{
    auto tracks = std::make_unique<MixerTracksModel>();
    auto owned = std::make_unique<MixerTrackItem>(QStringLiteral("Bass"), 1);
    QPointer<MixerTrackItem> track = owned.get();
    tracks->AppendTrack(std::move(owned));
    auto section = std::make_unique<MixerSectionItem>(QStringLiteral("Band"), QString(), tracks.get());
    {
        MixerModel sections;
        sections.AppendSection(section.get());
    }
    QVERIFY2(section->name() == QStringLiteral("Band"), "the sections model leaves its sections alive");
    tracks.reset();
    QVERIFY2(track.isNull(), "the tracks model deletes its tracks");
}

QTEST_MAIN(TestMixerModels)
#include "tst_mixer_models.moc"
