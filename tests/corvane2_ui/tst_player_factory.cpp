#include "AppSettings.h"
#include "CorvanePlayerFactory.h"
#include "Interface.h"
#include "IsolatedDataHome.h"
#include "MusicalApp.h"

#include <QtTest>

#include <filesystem>

namespace {

class BareFactory : public zarn::PlayerFactory
{
public:
    std::unique_ptr<Interface> CreateAudioInterface(const QString&, std::shared_ptr<zarn::PlayerOscCallback>) override
    {
        return nullptr;
    }
};

} // namespace

class TestPlayerFactory : public QObject
{
    Q_OBJECT

private slots:
    void editionProfile()
    {
        zarn::qt::CorvanePlayerFactory profile;
        QCOMPARE(profile.displayName, QStringLiteral("Corvane"));
        QCOMPARE(profile.folderName, QStringLiteral("corvane"));
        QCOMPARE(profile.productNumber, 1);
        QCOMPARE(profile.GetVersionIdentifier(), QString());
        QCOMPARE(profile.aboutLogoUrl, QStringLiteral("qrc:/images/corvane_logo_light_long"));
        QCOMPARE(profile.cornerLogoUrl, QStringLiteral("qrc:/images/corvane"));
        const QList<bool> flags{profile.showAlbumArt,        profile.showAudioManager, profile.showFade,
                                profile.showScore,           profile.showMixer,        profile.showAudioFadeRegion,
                                profile.enableOsc,           profile.showRehearsalNotice,
                                profile.showPerformanceNotice, profile.hideClickToolNotice};
        QCOMPARE(flags, (QList<bool>{true, true, true, true, false, true, true, false, true, false}));
    }

    void baseDefaults()
    {
        BareFactory base;
        QCOMPARE(base.productNumber, 0);
        QCOMPARE(base.GetVersionString(), QStringLiteral("0.0.0"));
        const QList<bool> flags{base.showAlbumArt,        base.showAudioManager, base.showFade,
                                base.showScore,           base.showMixer,        base.showAudioFadeRegion,
                                base.enableOsc,           base.showRehearsalNotice,
                                base.showPerformanceNotice, base.hideClickToolNotice};
        QCOMPARE(flags, (QList<bool>{false, false, false, false, false, true, true, false, false, false}));
    }

    void versionText()
    {
        BareFactory profile;
        profile.versionMajor = 1;
        profile.versionMinor = 2;
        profile.versionPatch = 3;
        QCOMPARE(profile.GetVersionString(), QStringLiteral("1.2.3"));
        QCOMPARE(profile.GetVersionString() + " - " + profile.GetVersionIdentifier(), QStringLiteral("1.2.3 - "));
        profile.versionIdentifier = QStringLiteral("rc1");
        QCOMPARE(profile.GetVersionIdentifier(), QStringLiteral("rc1"));
    }

    void bothRoutesCreateAndNameTheSameFolder_data()
    {
        QTest::addColumn<bool>("errorLogRouteFirst");
        QTest::newRow("data folder first") << false;
        QTest::newRow("error-log folder first") << true;
    }
    void bothRoutesCreateAndNameTheSameFolder()
    {
        QFETCH(bool, errorLogRouteFirst);
        IsolatedDataHome home;
        zarn::qt::CorvanePlayerFactory profile;
        const QString expected = QDir(home.path()).filePath(QStringLiteral("corvane"));
        QVERIFY(!QFileInfo::exists(expected));
        QString dataFolder;
        std::string errorLogFolder;
        if (errorLogRouteFirst) {
            errorLogFolder = profile.GetErrorLogFolder();
            QVERIFY(QFileInfo(expected).isDir());
            dataFolder = profile.GetDataFolder();
        } else {
            dataFolder = profile.GetDataFolder();
            QVERIFY(QFileInfo(expected).isDir());
            errorLogFolder = profile.GetErrorLogFolder();
        }
        QCOMPARE(dataFolder, expected);
        QVERIFY(!dataFolder.contains(QStringLiteral("..")));
        QCOMPARE(QFileInfo(QString::fromStdString(errorLogFolder)).canonicalFilePath(),
                 QFileInfo(expected).canonicalFilePath());
    }

    void unusableLocationThrowsOnlyOnTheErrorLogRoute()
    {
        IsolatedDataHome home;
        // A plain file where the data location's folder should be.
        const QString blocker = QDir(home.path()).filePath(QStringLiteral("blocked"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        qputenv("XDG_DATA_HOME", blocker.toLocal8Bit());
        zarn::qt::CorvanePlayerFactory profile;
        QCOMPARE(profile.GetDataFolder(), blocker + QStringLiteral("/corvane"));
        QVERIFY_THROWS_EXCEPTION(std::filesystem::filesystem_error, profile.GetErrorLogFolder());
    }

    void mixerControllerIsNoneAndKeepsNothing()
    {
        zarn::qt::CorvanePlayerFactory profile;
        // Holders that share ownership with `owner` (aliasing), so its count shows whether
        // the factory kept either of them.
        auto owner = std::make_shared<int>(0);
        std::shared_ptr<Interface> player(owner, nullptr);
        std::shared_ptr<zarn::AppSettings> settings(owner, nullptr);
        QCOMPARE(owner.use_count(), 3L);
        QVERIFY(profile.CreateMixerController(nullptr, nullptr, player, settings) == nullptr);
        QCOMPARE(owner.use_count(), 3L);
    }
};

QTEST_GUILESS_MAIN(TestPlayerFactory)
#include "tst_player_factory.moc"
