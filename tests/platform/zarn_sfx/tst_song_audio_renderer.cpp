#include "DeviceControlWin32.h"
#include "PulseNullSink.h"
#include "SongAudioRenderer.h"
#include "WavFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace zarn::audio;

namespace {
// Started before the application object, so Qt Multimedia finds it on first use.
PulseNullSink* g_sink = nullptr;
} // namespace

class TestSongAudioRenderer : public QObject
{
    Q_OBJECT

private slots:
    void withoutSourceItStaysSilent()
    {
        SongAudioRenderer renderer;
        renderer.Update(true, 1.0, 1.0);
        QTest::qWait(100);
        QVERIFY(!renderer.IsActive());
    }

    void playsIntoTheNullSink()
    {
        if (!g_sink->Started())
            QSKIP(qPrintable("PulseAudio cannot run here: " + g_sink->Problem()));
        const auto devices = DeviceControlWin32().GetOutputDevices();
        QVERIFY(!devices.empty());
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/tone.wav").toStdString();
        std::vector<int16_t> samples(44100 * 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * double(i / 2) / 44100));
        WavFile::Save(path, 44100, 2, samples);

        SongAudioRenderer renderer;
        renderer.SetDevice(devices.front().uid);
        renderer.SetSource(path);
        for (int i = 0; i < 60; ++i) {
            renderer.Update(true, i * 0.01, 1.0);
            QTest::qWait(10);
        }
        QTRY_VERIFY_WITH_TIMEOUT(renderer.FramesRendered() > 0, 5000);
        QVERIFY2(!g_sink->SinkInputs().trimmed().isEmpty(), "no stream reached the sink");
        QVERIFY2(renderer.LastProblem().empty(), renderer.LastProblem().c_str());
        renderer.Shutdown();
        QTRY_VERIFY_WITH_TIMEOUT(g_sink->SinkInputs().trimmed().isEmpty(), 5000);
    }
};

int main(int argc, char** argv)
{
    PulseNullSink sink;
    g_sink = &sink;
    QCoreApplication app(argc, argv);
    TestSongAudioRenderer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_song_audio_renderer.moc"
