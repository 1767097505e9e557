#include "WavFile.h"

#include "zarn_core/AtomicFile.h"

#include <QFile>

#include <cstring>
#include <stdexcept>
#include <string_view>

namespace zarn::audio {

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

} // namespace

WavFile WavFile::Load(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("The audio file " + path + " cannot be read: " + file.errorString().toStdString());
    const QByteArray data = file.readAll();
    return Parse(std::vector<uint8_t>(data.begin(), data.end()), path);
}

WavFile WavFile::Parse(const std::vector<uint8_t>& bytes, const std::string& origin)
{
    auto fail = [&](const std::string& what) -> void {
        throw std::runtime_error("The audio file " + origin + " is not a usable WAV file: " + what + ".");
    };
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        fail("no RIFF/WAVE header");
    WavFile wav;
    int bits = 0;
    bool haveFormat = false, haveData = false;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + at;
        const uint32_t size = U32(chunk + 4);
        const size_t body = at + 8;
        if (size > bytes.size() - body)
            fail("a chunk runs past the end of the file");
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (size < 16)
                fail("the format chunk is too short");
            const uint16_t formatTag = U16(bytes.data() + body);
            wav.channels = U16(bytes.data() + body + 2);
            wav.sampleRate = static_cast<int>(U32(bytes.data() + body + 4));
            bits = U16(bytes.data() + body + 14);
            if (formatTag != 1 && formatTag != 0xFFFE)
                fail("only PCM is supported");
            if (bits != 16)
                fail("only 16-bit samples are supported");
            if (wav.channels < 1 || wav.channels > 8 || wav.sampleRate < 8000 || wav.sampleRate > 192000)
                fail("channels or sample rate out of range");
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            if (!haveFormat)
                fail("the data chunk comes before the format");
            const size_t count = size / 2;
            wav.samples.resize(count);
            for (size_t i = 0; i < count; ++i)
                wav.samples[i] = static_cast<int16_t>(U16(bytes.data() + body + 2 * i));
            wav.samples.resize(count - count % static_cast<size_t>(wav.channels));
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData)
        fail("format or data chunk missing");
    return wav;
}

void WavFile::Save(const std::string& path, int sampleRate, int channels, const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> out;
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, 36 + dataBytes);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(channels));
    Put32(out, static_cast<uint32_t>(sampleRate));
    Put32(out, static_cast<uint32_t>(sampleRate * channels * 2));
    Put16(out, static_cast<uint16_t>(channels * 2));
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, dataBytes);
    for (int16_t s : samples)
        Put16(out, static_cast<uint16_t>(s));
    try {
        zarn::AtomicFile::Write(path, std::string_view(reinterpret_cast<const char*>(out.data()), out.size()));
    } catch (const zarn::AtomicFileError& error) {
        throw std::runtime_error("The audio file " + path + " cannot be written: " + error.Reason());
    }
}

} // namespace zarn::audio
