#include "AudioFileReader.h"
#include "AudioTestSignals.h"
#include "RateConverter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <filesystem>

using namespace zarn::audio;
using namespace zarn::audio::test;

namespace {

std::vector<float> ReadAll(AudioFileReader& reader, int64_t chunk)
{
    std::vector<float> all;
    std::vector<float> buffer(size_t(chunk) * kChannels);
    for (;;) {
        const int64_t n = reader.Read(buffer.data(), chunk);
        all.insert(all.end(), buffer.begin(), buffer.begin() + n * kChannels);
        if (n < chunk)
            return all;
    }
}

// Runs a whole signal through the converter in uneven pieces, as a stream would.
std::vector<float> ConvertAll(RateConverter& converter, const std::vector<float>& in)
{
    std::vector<float> out;
    std::vector<float> block(500 * kChannels);
    const int64_t inFrames = int64_t(in.size() / kChannels);
    int64_t used = 0;
    for (int round = 0; round < 1000000; ++round) {
        const int64_t offer = std::min<int64_t>(777, inFrames - used);
        const bool end = used + offer == inFrames;
        const auto r = converter.Process(in.data() + used * kChannels, offer, block.data(), 500, end);
        used += r.consumed;
        out.insert(out.end(), block.begin(), block.begin() + r.produced * kChannels);
        if (end && r.produced == 0 && r.consumed == 0)
            break;
    }
    return out;
}

} // namespace

class TestAudioFileReader : public QObject
{
    Q_OBJECT

    QTemporaryDir dir_;

    std::string PathOf(const QString& name) const { return (dir_.path() + "/" + name).toStdString(); }

    void Truncate(const std::string& path, double keep)
    {
        const auto size = std::filesystem::file_size(path);
        std::filesystem::resize_file(path, uintmax_t(double(size) * keep));
    }

private slots:
    // Left at 440 Hz, right at 660 Hz (a mono file: 440 Hz on both), an odd length: read back
    // in uneven chunks it has its length, its frequencies on the right channels, and within
    // the format's resolution the samples written.
    void readsEveryFormat_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("tolerance"); // largest sample error; < 0: lossy, frequency only
        QTest::addColumn<QString>("described");
        QTest::newRow("WAV 16-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << "a.wav" << 48000 << 2 << 1e-4 << "WAV 16-bit";
        QTest::newRow("WAV 24-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << "b.wav" << 44100 << 2 << 1e-6 << "WAV 24-bit";
        QTest::newRow("WAV float") << (SF_FORMAT_WAV | SF_FORMAT_FLOAT) << "c.wav" << 48000 << 2 << 1e-7
                                   << "WAV 32-bit float";
        QTest::newRow("AIFF 16-bit") << (SF_FORMAT_AIFF | SF_FORMAT_PCM_16) << "d.aiff" << 44100 << 2 << 1e-4
                                     << "AIFF 16-bit";
        QTest::newRow("FLAC 24-bit") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_24) << "e.flac" << 96000 << 2 << 1e-6
                                     << "FLAC 24-bit";
        QTest::newRow("Ogg Vorbis") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << "f.ogg" << 48000 << 2 << -1.0
                                    << "Ogg Vorbis";
        QTest::newRow("WAV mono") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << "g.wav" << 48000 << 1 << 1e-4 << "WAV 16-bit";
        QTest::newRow("FLAC mono") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << "h.flac" << 22050 << 1 << 1e-4
                                   << "FLAC 16-bit";
        QTest::newRow("WAV four channels") << (SF_FORMAT_WAVEX | SF_FORMAT_PCM_16) << "i.wav" << 48000 << 4 << 1e-4
                                           << "WAV 16-bit";
    }
    void readsEveryFormat()
    {
        QFETCH(int, format);
        QFETCH(QString, name);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(double, tolerance);
        QFETCH(QString, described);
        const std::string path = PathOf(name);
        const int64_t frames = rate * 3 / 2 + 77;
        const auto signal = Sine(rate, channels == 1 ? std::vector<double>{440} : std::vector<double>{440, 660, 880, 990});
        WriteAudioFile(path, format, rate, channels, frames, signal);

        AudioFileReader reader(path);
        QCOMPARE(reader.Info().sampleRate, rate);
        QCOMPARE(reader.Info().channels, channels);
        QCOMPARE(reader.Info().frames, frames);
        QCOMPARE(QString::fromStdString(reader.Info().format), described);
        const std::vector<float> all = ReadAll(reader, 1000);
        QCOMPARE(int64_t(all.size() / kChannels), frames);
        QCOMPARE(reader.Position(), frames);
        QVERIFY(reader.Warning().empty());

        QVERIFY2(std::fabs(Frequency(all, 0, rate) - 440) < 440 * 0.002, qPrintable(QString::number(Frequency(all, 0, rate))));
        const double right = channels == 1 ? 440 : 660;
        QVERIFY2(std::fabs(Frequency(all, 1, rate) - right) < right * 0.002, qPrintable(QString::number(Frequency(all, 1, rate))));
        if (tolerance >= 0) {
            double worst = 0;
            for (int64_t i = 0; i < frames; ++i) {
                for (int c = 0; c < kChannels; ++c)
                    worst = std::max(worst, std::fabs(all[size_t(i * 2 + c)] - signal(i, channels == 1 ? 0 : c)));
            }
            QVERIFY2(worst <= tolerance, qPrintable(QString::number(worst)));
        }

        // A seek lands where a read from the start got to.
        const int64_t at = frames / 2 + 3;
        reader.Seek(at);
        std::vector<float> part(600 * kChannels);
        QCOMPARE(reader.Read(part.data(), 600), int64_t(600));
        double worst = 0;
        for (size_t i = 0; i < part.size(); ++i)
            worst = std::max(worst, double(std::fabs(part[i] - all[size_t(at) * kChannels + i])));
        QVERIFY2(worst <= (tolerance >= 0 ? 0.0 : 0.01), qPrintable(QString::number(worst)));
        // Past the end is the end.
        reader.Seek(frames + 1000);
        QCOMPARE(reader.Position(), frames);
        QCOMPARE(reader.Read(part.data(), 600), int64_t(0));
    }

    void refusesWhatItCannotRead_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // written as the file unless the row says otherwise
        QTest::addColumn<QString>("says");
        QTest::newRow("missing") << "missing.wav" << QByteArray() << "not found";
        QTest::newRow("folder") << "folder.wav" << QByteArray() << "is a folder";
        QTest::newRow("empty") << "empty.flac" << QByteArray("") << "is empty";
        QTest::newRow("not audio") << "notes.wav" << QByteArray("These are rehearsal notes, not sound.\n")
                                   << "not in a format that can be played";
        static const char shortFormat[] = "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0";
        QTest::newRow("damaged header") << "short.wav" << QByteArray(shortFormat, sizeof shortFormat - 1)
                                        << "is damaged";
        static const char noChannels[] = "RIFF\x28\0\0\0WAVEfmt \x10\0\0\0\x01\0\0\0\x80\xbb\0\0\0\0\0\0\x04\0"
                                         "\x10\0data\x04\0\0\0\0\0\0\0";
        QTest::newRow("no channels") << "nochannels.wav" << QByteArray(noChannels, sizeof noChannels - 1)
                                     << "is damaged";
    }
    void refusesWhatItCannotRead()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        const std::string path = PathOf(name);
        if (name.startsWith("folder"))
            QVERIFY(QDir(dir_.path()).mkpath(name));
        else if (!name.startsWith("missing")) {
            QFile file(QString::fromStdString(path));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        try {
            AudioFileReader reader(path);
            QFAIL("opened");
        } catch (const AudioFileError& e) {
            const QString text = QString::fromUtf8(e.what());
            QVERIFY2(text.contains(QString::fromStdString(path)), qPrintable(text));
            QVERIFY2(text.contains(says), qPrintable(text));
            QCOMPARE(e.Path(), path);
        }
    }

    // A file cut off part way reads what is there, which still sounds right, and says how
    // much is missing.
    void readsWhatIsLeftOfACutFile_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("knowsShortfall"); // Ogg has no length in its header
        QTest::newRow("WAV 16-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16) << "cut.wav" << true;
        QTest::newRow("WAV 24-bit") << (SF_FORMAT_WAV | SF_FORMAT_PCM_24) << "cut24.wav" << true;
        QTest::newRow("AIFF") << (SF_FORMAT_AIFF | SF_FORMAT_PCM_16) << "cut.aiff" << true;
        QTest::newRow("FLAC") << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << "cut.flac" << true;
        QTest::newRow("Ogg Vorbis") << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << "cut.ogg" << false;
    }
    void readsWhatIsLeftOfACutFile()
    {
        QFETCH(int, format);
        QFETCH(QString, name);
        QFETCH(bool, knowsShortfall);
        const std::string path = PathOf(name);
        // Long enough for Ogg, whose pages hold more than a second of a pure tone.
        const int64_t frames = 10 * 48000;
        WriteAudioFile(path, format, 48000, 2, frames, Sine(48000, {440}));
        Truncate(path, 0.6);

        AudioFileReader reader(path);
        const std::vector<float> all = ReadAll(reader, 1000);
        const int64_t got = int64_t(all.size() / kChannels);
        QVERIFY2(got > frames / 4 && got < frames, qPrintable(QString::number(got)));
        QCOMPARE(reader.Info().frames, got);
        QVERIFY2(std::fabs(Frequency(all, 0, 48000) - 440) < 440 * 0.002, qPrintable(QString::number(Frequency(all, 0, 48000))));
        const QString warning = QString::fromStdString(reader.Warning());
        QVERIFY2(warning.contains(QString::fromStdString(path)), qPrintable(warning));
        QVERIFY2(warning.contains("cut short"), qPrintable(warning));
        if (knowsShortfall) {
            QCOMPARE(reader.Shortfall(), frames - got);
            QVERIFY2(warning.contains(QString("%1 of %2 frames are missing").arg(frames - got).arg(frames)),
                     qPrintable(warning));
        }
        // What is there can still be sought and read again.
        reader.Seek(got / 2);
        std::vector<float> part(100 * kChannels);
        QCOMPARE(reader.Read(part.data(), 100), int64_t(100));
        QCOMPARE(part[0], all[size_t(got / 2) * kChannels]);
    }

    // A 440 Hz tone that starts after a quarter second: converted in uneven pieces it keeps
    // its pitch, its start at the same time, and the length ratio; restarted part way at the
    // converter's start point it goes on as the run from the beginning did.
    void convertsTheRate_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("44.1 to 48 kHz") << 44100 << 48000;
        QTest::newRow("48 to 44.1 kHz") << 48000 << 44100;
        QTest::newRow("96 to 48 kHz") << 96000 << 48000;
        QTest::newRow("22.05 to 48 kHz") << 22050 << 48000;
        QTest::newRow("same rate") << 48000 << 48000;
    }
    void convertsTheRate()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        const int64_t inFrames = from * 2 + 31;
        const int64_t startsAt = from / 4;
        std::vector<float> in(size_t(inFrames) * kChannels);
        for (int64_t i = startsAt; i < inFrames; ++i)
            in[size_t(i * 2)] = in[size_t(i * 2 + 1)] = float(0.5 * std::sin(2 * M_PI * 440 * double(i - startsAt) / from));

        RateConverter converter(from, to);
        const std::vector<float> out = ConvertAll(converter, in);
        const int64_t outFrames = int64_t(out.size() / kChannels);
        QVERIFY2(std::llabs(outFrames - converter.OutputFrames(inFrames)) <= 2, qPrintable(QString::number(outFrames)));
        QVERIFY(std::fabs(double(outFrames) / inFrames - double(to) / from) < 1e-3);
        const double hz = Frequency(out, 0, to);
        QVERIFY2(std::fabs(hz - 440) < 440 * 0.01, qPrintable(QString::number(hz)));
        const double onsetIn = double(Onset(in, 0, 0.25)) / from;
        const double onsetOut = double(Onset(out, 0, 0.25)) / to;
        QVERIFY2(std::fabs(onsetOut - onsetIn) < 0.0002, qPrintable(QString("%1 s, not %2 s").arg(onsetOut).arg(onsetIn)));
        if (from == to)
            QCOMPARE(out, in);

        const int64_t at = outFrames / 2 + 11;
        const RateConverter::Start start = converter.StartFor(at);
        QVERIFY(start.inputFrame <= converter.InputFrame(at));
        converter.Reset();
        std::vector<float> rest(in.begin() + start.inputFrame * kChannels, in.end());
        const std::vector<float> again = ConvertAll(converter, rest);
        QVERIFY(int64_t(again.size() / kChannels) > start.discard + 1000);
        double worst = 0;
        for (size_t i = 0; i < 1000 * kChannels; ++i)
            worst = std::max(worst, double(std::fabs(again[size_t(start.discard) * kChannels + i] - out[size_t(at) * kChannels + i])));
        QVERIFY2(worst < 1e-5, qPrintable(QString::number(worst)));
    }

    void refusesRatesItCannotConvert()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, RateConverter(0, 48000));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, RateConverter(48000, -1));
        try {
            RateConverter(100, 48000);
            QFAIL("accepted");
        } catch (const std::invalid_argument& e) {
            QVERIFY2(QString(e.what()).contains("100 Hz to 48000 Hz"), e.what());
        }
    }
};

QTEST_GUILESS_MAIN(TestAudioFileReader)
#include "tst_audio_file_reader.moc"
