#include "DeviceControlWin32.h"
#include "WavFile.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace zarn::audio;

class TestWavFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/a.wav").toStdString();
        const std::vector<int16_t> samples{0, 1, -1, 32767, -32768, 100};
        WavFile::Save(path, 22050, 2, samples);
        const WavFile wav = WavFile::Load(path);
        QCOMPARE(wav.sampleRate, 22050);
        QCOMPARE(wav.channels, 2);
        QCOMPARE(wav.samples, samples);
        QCOMPARE(wav.Frames(), size_t(3));
    }

    void rejectsBadFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("mentions");
        QByteArray good;
        {
            QTemporaryDir dir;
            const std::string path = (dir.path() + "/g.wav").toStdString();
            WavFile::Save(path, 8000, 1, {1, 2, 3});
            QFile f(QString::fromStdString(path));
            f.open(QIODevice::ReadOnly);
            good = f.readAll();
        }
        QTest::newRow("empty") << QByteArray() << "RIFF";
        QTest::newRow("not wave") << QByteArray("RIFF\0\0\0\0AVI LIST", 16) << "RIFF";
        QByteArray truncated = good.left(good.size() - 2);
        QTest::newRow("truncated data") << truncated << "past the end";
        QByteArray eightBit = good;
        eightBit[34] = 8;
        QTest::newRow("8-bit") << eightBit << "16-bit";
        QByteArray compressed = good;
        compressed[20] = 3;
        QTest::newRow("float") << compressed << "PCM";
        QByteArray noData = good.left(36);
        QTest::newRow("no data") << noData << "missing";
    }
    void rejectsBadFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, mentions);
        try {
            WavFile::Parse(std::vector<uint8_t>(bytes.begin(), bytes.end()), "x.wav");
            QFAIL("no exception");
        } catch (const std::runtime_error& e) {
            QVERIFY2(QString(e.what()).contains(mentions), e.what());
        }
        QVERIFY_EXCEPTION_THROWN(WavFile::Load("/nonexistent/x.wav"), std::runtime_error);
    }

    void deviceListHook()
    {
        DeviceControlWin32::SetDevicesForTesting(std::vector<AudioDevice>{{"Desk", "desk-1"}});
        QCOMPARE(DeviceControlWin32().GetOutputDevices(), (std::vector<AudioDevice>{{"Desk", "desk-1"}}));
        DeviceControlWin32::SetDevicesForTesting(std::nullopt);
        // This machine's real list: whatever it is, asking must not fail.
        (void)DeviceControlWin32().GetOutputDevices();
    }
};

QTEST_GUILESS_MAIN(TestWavFile)
#include "tst_wav_file.moc"
