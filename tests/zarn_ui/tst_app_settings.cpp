#include "AppSettings.h"

#include <QtTest>

namespace {

std::unique_ptr<zarn::AppSettings> OpenSettings(const QString& path)
{
    return std::make_unique<zarn::AppSettings>(std::make_unique<QSettings>(path, QSettings::IniFormat));
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("general_settings.zarn"));
        QFile::remove(path_);
    }

    void missingFileGivesDefaults()
    {
        auto settings = OpenSettings(path_);
        QVERIFY(settings->Load());
        QCOMPARE(settings->GetDefaultVolume(), 1.0);
        QCOMPARE(settings->clickVolumeLinear, 1.0);
        QCOMPARE(settings->GetDefaultOutputDeviceString(), QString());
        QCOMPARE(settings->currentMidiSourceName, QString());
        QVERIFY(!QFile::exists(path_));
    }

    void partialFileFillsTheRestWithDefaults()
    {
        WriteFile(path_, "[General]\ndefaultVolume=0.5\n");
        auto settings = OpenSettings(path_);
        settings->Load();
        QCOMPARE(settings->GetDefaultVolume(), 0.5);
        QCOMPARE(settings->clickVolumeLinear, 1.0);
        QCOMPARE(settings->GetDefaultOutputDeviceString(), QString());
        QCOMPARE(settings->currentMidiSourceName, QString());
    }

    void unconvertibleNumberReadsAsZero()
    {
        WriteFile(path_, "[General]\ndefaultVolume=loud\n");
        auto settings = OpenSettings(path_);
        settings->Load();
        QCOMPARE(settings->GetDefaultVolume(), 0.0);
    }

    void saveWritesAllFourKeysAndRoundTrips()
    {
        {
            WriteFile(path_, "[General]\nclickVolumeLinear=0.25\n");
            auto settings = OpenSettings(path_);
            settings->Load();
            settings->SetDefaultVolume(0.75);
            settings->SetDefaultOutputDeviceString(QStringLiteral("alsa_output.usb-Focus 2i2"));
            settings->currentMidiSourceName = QStringLiteral("Keyboard Port 1");
            QVERIFY(settings->Save());
        }
        QSettings raw(path_, QSettings::IniFormat);
        QCOMPARE(raw.childKeys().size(), 4);
        QCOMPARE(raw.value("clickVolumeLinear").toDouble(), 0.25);

        auto settings = OpenSettings(path_);
        settings->Load();
        QCOMPARE(settings->GetDefaultVolume(), 0.75);
        QCOMPARE(settings->clickVolumeLinear, 0.25);
        QCOMPARE(settings->GetDefaultOutputDeviceString(), QStringLiteral("alsa_output.usb-Focus 2i2"));
        QCOMPARE(settings->currentMidiSourceName, QStringLiteral("Keyboard Port 1"));
    }

    void showDialogFlagsRoundTrip()
    {
        {
            auto settings = OpenSettings(path_);
            QVERIFY(settings->GetShowDialog(QStringLiteral("ShowRehearsalNotice")));
            settings->SetShowDialog(QStringLiteral("ShowRehearsalNotice"), false);
            QVERIFY(!settings->GetShowDialog(QStringLiteral("ShowRehearsalNotice")));
            settings->SetShowDialog(QStringLiteral("ClickToolNotification"), false);
            settings->SetShowDialog(QStringLiteral("ClickToolNotification"), true);
            QVERIFY(settings->GetShowDialog(QStringLiteral("ClickToolNotification")));
        }
        QFile file(path_);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("[Dialogs]"), text.constData());
        QVERIFY2(text.contains("ShowRehearsalNotice=false"), text.constData());
        QVERIFY2(text.contains("ClickToolNotification=true"), text.constData());
        QVERIFY(!OpenSettings(path_)->GetShowDialog(QStringLiteral("ShowRehearsalNotice")));
    }

    void handEditedDialogValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("shown");
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("false") << QByteArray("false") << false;
        QTest::newRow("FaLsE") << QByteArray("FaLsE") << false;
        QTest::newRow("quoted empty") << QByteArray("\"\"") << false;
        QTest::newRow("bare empty") << QByteArray("") << false;
        QTest::newRow("yes") << QByteArray("yes") << true;
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("true") << QByteArray("true") << true;
    }
    void handEditedDialogValues()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, shown);
        WriteFile(path_, "[Dialogs]\nShowRehearsalNotice=" + value + "\n");
        QCOMPARE(OpenSettings(path_)->GetShowDialog(QStringLiteral("ShowRehearsalNotice")), shown);
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_app_settings.moc"
