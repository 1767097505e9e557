// The test host's reading of a sound-effect folder: a manifest entry whose file is missing,
// altered or named outside the folder is left out with a warning; without a manifest the
// folder's .wav files are the sources. No sound is played here.
#include "SfxTestHost.h"
#include "WavFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using zarn::testing::SfxSourceModel;
using zarn::testing::SfxTestHost;

namespace {

void WriteSilence(const QString& path, double seconds)
{
    zarn::audio::WavFile::Save(path.toStdString(), 48000, 1, std::vector<int16_t>(std::size_t(seconds * 48000)));
}

QString Sha256(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
}

QStringList Ids(SfxTestHost& host)
{
    QStringList ids;
    for (int row = 0; row < host.SourceModel()->rowCount(); ++row)
        ids << host.SourceModel()->index(row).data(SfxSourceModel::SfxIdRole).toString();
    return ids;
}

} // namespace

class TestSfxTestHost : public QObject
{
    Q_OBJECT

private slots:
    void manifestEntriesThatDoNotMatchAreLeftOut()
    {
        QTemporaryDir dir;
        const QDir folder(dir.path());
        WriteSilence(folder.filePath("good.wav"), 0.5);
        WriteSilence(folder.filePath("altered.wav"), 0.5);
        const QString alteredSum = Sha256(folder.filePath("altered.wav"));
        WriteSilence(folder.filePath("altered.wav"), 0.6);
        QJsonArray effects;
        const auto entry = [](const QString& id, const QString& file, const QString& sum) {
            return QJsonObject{{"sfxid", id}, {"displayname", id.toUpper()}, {"file", file}, {"sha256", sum}};
        };
        effects << entry("good", "good.wav", Sha256(folder.filePath("good.wav")))
                << entry("altered", "altered.wav", alteredSum)
                << entry("gone", "gone.wav", alteredSum)
                << entry("escape", "../good.wav", alteredSum);
        QFile manifest(folder.filePath("sfx.json"));
        QVERIFY(manifest.open(QIODevice::WriteOnly));
        manifest.write(QJsonDocument(QJsonObject{{"version", 1}, {"effects", effects}}).toJson());
        manifest.close();

        SfxTestHost host;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("altered.wav differs from its manifest"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("gone.wav is missing"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("without a usable id or file"));
        QVERIFY(host.LoadFolder(dir.path()));
        QCOMPARE(Ids(host), QStringList{"good"});
        QCOMPARE(host.SourceModel()->index(0).data(SfxSourceModel::DisplayNameRole).toString(), QStringLiteral("GOOD"));
    }

    void withoutAManifestTheWavFilesAreTheSources()
    {
        QTemporaryDir dir;
        const QDir folder(dir.path());
        WriteSilence(folder.filePath("b.wav"), 0.1);
        WriteSilence(folder.filePath("A.WAV"), 0.1);
        QFile other(folder.filePath("notes.txt"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        SfxTestHost host;
        QVERIFY(host.LoadFolder(dir.path()));
        QCOMPARE(Ids(host), (QStringList{"A", "b"}));
    }

    void instancesTakeTheirLengthFromTheFileAndKnowWhenItIsGone()
    {
        QTemporaryDir dir;
        WriteSilence(QDir(dir.path()).filePath("bell.wav"), 2.5);
        SfxTestHost host;
        QVERIFY(host.LoadFolder(dir.path()));
        const QString id = host.AddInstance("Bell", "bell", 0.5, -1);
        const QString lost = host.AddInstance("Lost", "nowhere", 1.0, 0);
        const auto* active = host.ActiveModel();
        QCOMPARE(active->index(0).data(zarn::testing::ActiveAudioModel::DurationRole).toDouble(), 2.5);
        QCOMPARE(active->index(0).data(zarn::testing::ActiveAudioModel::NameRole).toString(), QStringLiteral("Bell"));
        const auto* instances = host.InstanceModel();
        QVERIFY(instances->index(0).data(zarn::testing::SfxInstanceModel::IsReadyRole).toBool());
        QVERIFY(!instances->index(1).data(zarn::testing::SfxInstanceModel::IsReadyRole).toBool());
        QVERIFY(instances->index(0).data(zarn::testing::SfxInstanceModel::SummaryRole).toString().contains("loop"));
        QCOMPARE(host.RowOf(lost), 1);
        QVERIFY(QFile::remove(QDir(dir.path()).filePath("bell.wav")));
        QVERIFY(!instances->index(0).data(zarn::testing::SfxInstanceModel::IsReadyRole).toBool());
        host.deleteInstance(id);
        QCOMPARE(host.RowOf(lost), 0);
    }
};

QTEST_GUILESS_MAIN(TestSfxTestHost)
#include "tst_sfx_test_host.moc"
