#include "OfflineRender.h"

#include "AtomicFile.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace zarn::audio {

namespace {

void PutLe(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

// A float WAV header (format 3 with its fact chunk) for a known number of frames.
std::string FloatWavHeader(int sampleRate, uint32_t frames)
{
    constexpr int kBytesPerFrame = AudioOutput::kChannels * 4;
    const uint32_t dataBytes = frames * kBytesPerFrame;
    std::string h;
    h += "RIFF";
    PutLe(h, 4 + (8 + 18) + (8 + 4) + (8 + dataBytes), 4);
    h += "WAVEfmt ";
    PutLe(h, 18, 4);
    PutLe(h, 3, 2); // IEEE float
    PutLe(h, AudioOutput::kChannels, 2);
    PutLe(h, static_cast<uint32_t>(sampleRate), 4);
    PutLe(h, static_cast<uint32_t>(sampleRate) * kBytesPerFrame, 4);
    PutLe(h, kBytesPerFrame, 2);
    PutLe(h, 32, 2);
    PutLe(h, 0, 2);
    h += "fact";
    PutLe(h, 4, 4);
    PutLe(h, frames, 4);
    h += "data";
    PutLe(h, dataBytes, 4);
    return h;
}

} // namespace

OfflineRender::OfflineRender(int sampleRate, int blockFrames)
    : sampleRate_(sampleRate > 0 ? sampleRate : 48000)
    , blockFrames_(std::clamp(blockFrames, 1, kMaxBlockFrames))
{
}

bool OfflineRender::Start()
{
    problem_.clear();
    notice_.clear();
    return true;
}

void OfflineRender::Render(float* out, int64_t frames)
{
    while (frames > 0) {
        const int n = static_cast<int>(std::min<int64_t>(frames, blockFrames_));
        RenderBlock(out, n);
        out += static_cast<size_t>(n) * kChannels;
        frames -= n;
    }
}

std::vector<float> OfflineRender::Render(int64_t frames)
{
    std::vector<float> out(static_cast<size_t>(std::max<int64_t>(frames, 0)) * kChannels);
    Render(out.data(), frames);
    return out;
}

void OfflineRender::RenderToWav(const std::string& path, int64_t frames)
{
    const auto fail = [&path](const std::string& reason) {
        return std::runtime_error("The audio file " + path + " cannot be written: " + reason);
    };
    constexpr int64_t kMaxWavFrames = (int64_t{0xffffffff} - 64) / (kChannels * 4);
    if (frames < 0 || frames > kMaxWavFrames)
        throw fail(std::to_string(frames) + " frames do not fit in a WAV file");
    try {
        zarn::AtomicFile file(path);
        file.Append(FloatWavHeader(sampleRate_, static_cast<uint32_t>(frames)));
        std::vector<float> block(static_cast<size_t>(blockFrames_) * kChannels);
        std::string bytes;
        while (frames > 0) {
            const int n = static_cast<int>(std::min<int64_t>(frames, blockFrames_));
            RenderBlock(block.data(), n);
            bytes.clear();
            for (int i = 0; i < n * kChannels; ++i) {
                uint32_t bits;
                std::memcpy(&bits, &block[static_cast<size_t>(i)], 4);
                PutLe(bytes, bits, 4);
            }
            file.Append(bytes);
            frames -= n;
        }
        file.Commit();
    } catch (const zarn::AtomicFileError& error) {
        throw fail(error.Reason());
    }
}

} // namespace zarn::audio
