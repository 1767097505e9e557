#include "AudioFileReader.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <utility>

namespace zarn::audio {

namespace {

// Frames read from libsndfile per call when the file is not stereo.
constexpr int64_t kScratchFrames = 4096;

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '.' || text.back() == ' ' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// libsndfile's own words for an error, without its "System error : " or "Error in WAV/W64/RF64
// file. " lead-in, which say nothing to an operator.
std::string Reason(SNDFILE* file)
{
    std::string text = Trimmed(sf_strerror(file));
    for (const char* lead : {"System error : ", "Error : "}) {
        if (text.rfind(lead, 0) == 0)
            text.erase(0, std::strlen(lead));
    }
    const auto fileDot = text.find(" file. ");
    if (text.rfind("Error in ", 0) == 0 && fileDot != std::string::npos)
        text.erase(0, fileDot + 7);
    return text;
}

std::string DescribeFormat(int format)
{
    std::string major;
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV: major = "WAV"; break;
    case SF_FORMAT_WAVEX: major = "WAV"; break;
    case SF_FORMAT_RF64: major = "RF64"; break;
    case SF_FORMAT_AIFF: major = "AIFF"; break;
    case SF_FORMAT_FLAC: major = "FLAC"; break;
    case SF_FORMAT_OGG: major = "Ogg"; break;
    default: {
        SF_FORMAT_INFO info{};
        info.format = format & SF_FORMAT_TYPEMASK;
        major = sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name ? info.name
                                                                                                : "audio";
    }
    }
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return major + " 8-bit";
    case SF_FORMAT_PCM_16: return major + " 16-bit";
    case SF_FORMAT_PCM_24: return major + " 24-bit";
    case SF_FORMAT_PCM_32: return major + " 32-bit";
    case SF_FORMAT_FLOAT: return major + " 32-bit float";
    case SF_FORMAT_DOUBLE: return major + " 64-bit float";
    case SF_FORMAT_VORBIS: return major + " Vorbis";
    case SF_FORMAT_OPUS: return major + " Opus";
    default: return major;
    }
}

uint32_t Le32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Be32(const unsigned char* p)
{
    return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}

// The frame count a WAV or AIFF header promises. libsndfile quietly shortens a data chunk
// that runs past the end of the file, so a file cut off while copying would otherwise look
// whole and just end early. -1 when the header does not say (other formats, a streaming
// writer's 0 or 0xFFFFFFFF size).
int64_t ClaimedFrames(const std::string& path, int format)
{
    const int major = format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_AIFF)
        return -1;
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, 12> head{};
    if (!in.read(reinterpret_cast<char*>(head.data()), head.size()))
        return -1;
    const bool riff = std::memcmp(head.data(), "RIFF", 4) == 0;
    const bool form = std::memcmp(head.data(), "FORM", 4) == 0;
    if (!riff && !form)
        return -1;
    int64_t blockAlign = 0;
    for (int chunk = 0; chunk < 64; ++chunk) {
        std::array<unsigned char, 8> id{};
        if (!in.read(reinterpret_cast<char*>(id.data()), id.size()))
            return -1;
        const uint32_t size = riff ? Le32(id.data() + 4) : Be32(id.data() + 4);
        const std::streamoff next = in.tellg() + std::streamoff(size + (size & 1));
        if (riff && std::memcmp(id.data(), "fmt ", 4) == 0 && size >= 16) {
            std::array<unsigned char, 16> fmt{};
            if (!in.read(reinterpret_cast<char*>(fmt.data()), fmt.size()))
                return -1;
            blockAlign = Le16(fmt.data() + 12);
        } else if (riff && std::memcmp(id.data(), "data", 4) == 0) {
            if (blockAlign <= 0 || size == 0 || size == 0xFFFFFFFFu)
                return -1;
            return int64_t(size) / blockAlign;
        } else if (form && std::memcmp(id.data(), "COMM", 4) == 0 && size >= 6) {
            std::array<unsigned char, 6> comm{};
            if (!in.read(reinterpret_cast<char*>(comm.data()), comm.size()))
                return -1;
            return Be32(comm.data() + 2);
        }
        in.seekg(next);
    }
    return -1;
}

// An Ogg file whose last page lacks its end-of-stream mark leaves libsndfile without a
// length. The granule position of the last whole page is the frames that can be decoded.
int64_t LastOggGranule(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = in.tellg();
    if (size <= 0)
        return -1;
    const std::streamoff tail = std::min<std::streamoff>(size, 256 * 1024);
    std::vector<unsigned char> bytes(static_cast<size_t>(tail));
    in.seekg(size - tail);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), tail))
        return -1;
    for (std::streamoff at = tail - 27; at >= 0; --at) {
        const unsigned char* page = bytes.data() + at;
        if (std::memcmp(page, "OggS", 4) != 0)
            continue;
        const int segments = page[26];
        if (at + 27 + segments > tail)
            continue;
        std::streamoff end = at + 27 + segments;
        for (int s = 0; s < segments; ++s)
            end += page[27 + s];
        int64_t granule = 0;
        std::memcpy(&granule, page + 6, sizeof granule); // little-endian, as on every target we build for
        if (end <= tail && granule >= 0)
            return granule;
    }
    return -1;
}

} // namespace

AudioFileReader::AudioFileReader(std::string path)
    : path_(std::move(path))
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path_, ec);
    if (!fs::exists(status))
        throw AudioFileError(path_, "Audio file not found: " + path_);
    if (fs::is_directory(status))
        throw AudioFileError(path_, "Audio file " + path_ + " is a folder, not a file");
    {
        // libsndfile says "Format not recognised" for a file it may not read at all.
        std::FILE* probe = std::fopen(path_.c_str(), "rb");
        if (!probe)
            throw AudioFileError(path_, "Cannot open audio file " + path_ + ": " + std::strerror(errno));
        std::fclose(probe);
    }
    if (fs::file_size(path_, ec) == 0 && !ec)
        throw AudioFileError(path_, "Audio file " + path_ + " is empty");

    SF_INFO info{};
    file_ = sf_open(path_.c_str(), SFM_READ, &info);
    if (!file_) {
        const std::string reason = Reason(nullptr);
        switch (sf_error(nullptr)) {
        case SF_ERR_UNRECOGNISED_FORMAT:
            throw AudioFileError(path_, "Audio file " + path_
                                            + " is not in a format that can be played (WAV, AIFF, FLAC or Ogg Vorbis)");
        case SF_ERR_UNSUPPORTED_ENCODING:
            throw AudioFileError(path_, "Audio file " + path_ + " uses an encoding that cannot be played: " + reason);
        case SF_ERR_SYSTEM:
            throw AudioFileError(path_, "Cannot open audio file " + path_ + ": " + reason);
        default:
            throw AudioFileError(path_, "Audio file " + path_ + " is damaged: " + reason);
        }
    }
    if (info.channels < 1 || info.samplerate < 1) {
        Close();
        throw AudioFileError(path_, "Audio file " + path_ + " is damaged: it has no channels or no sample rate");
    }
    info_.sampleRate = info.samplerate;
    info_.channels = info.channels;
    info_.format = DescribeFormat(info.format);
    info_.frames = info.frames;
    if (info.frames == std::numeric_limits<sf_count_t>::max()) {
        const int64_t granule = LastOggGranule(path_);
        if (granule < 0) {
            Close();
            throw AudioFileError(path_, "Audio file " + path_ + " is damaged: its length cannot be found");
        }
        info_.frames = granule;
        warning_ = "Audio file " + path_ + " ends without its end mark: it may be cut short";
    }
    const int64_t claimed = ClaimedFrames(path_, info.format);
    if (claimed > info_.frames) {
        shortfall_ = claimed - info_.frames;
        warning_ = "Audio file " + path_ + " is cut short: " + std::to_string(shortfall_) + " of "
                   + std::to_string(claimed) + " frames are missing";
    }
    if (info_.channels != kChannels)
        scratch_.resize(static_cast<size_t>(kScratchFrames * info_.channels));
}

AudioFileReader::~AudioFileReader()
{
    Close();
}

AudioFileReader::AudioFileReader(AudioFileReader&& other) noexcept
    : path_(std::move(other.path_))
    , file_(std::exchange(other.file_, nullptr))
    , info_(std::move(other.info_))
    , position_(other.position_)
    , shortfall_(other.shortfall_)
    , warning_(std::move(other.warning_))
    , scratch_(std::move(other.scratch_))
{
}

AudioFileReader& AudioFileReader::operator=(AudioFileReader&& other) noexcept
{
    if (this != &other) {
        Close();
        path_ = std::move(other.path_);
        file_ = std::exchange(other.file_, nullptr);
        info_ = std::move(other.info_);
        position_ = other.position_;
        shortfall_ = other.shortfall_;
        warning_ = std::move(other.warning_);
        scratch_ = std::move(other.scratch_);
    }
    return *this;
}

void AudioFileReader::Close()
{
    if (file_)
        sf_close(file_);
    file_ = nullptr;
}

void AudioFileReader::Seek(int64_t frame)
{
    frame = std::clamp<int64_t>(frame, 0, info_.frames);
    if (frame == position_)
        return;
    // At the end nothing is read, so libsndfile need not be asked (some decoders refuse to
    // seek to one past their last frame); the next Seek elsewhere moves it.
    if (frame < info_.frames && sf_seek(file_, frame, SEEK_SET) < 0) {
        throw AudioFileError(path_, "Cannot seek to frame " + std::to_string(frame) + " in audio file " + path_
                                        + ": " + Reason(file_));
    }
    position_ = frame;
}

int64_t AudioFileReader::Read(float* out, int64_t frames)
{
    frames = std::min(frames, info_.frames - position_);
    int64_t done = 0;
    while (done < frames) {
        const int64_t want = info_.channels == kChannels ? frames - done : std::min(frames - done, kScratchFrames);
        float* target = info_.channels == kChannels ? out + done * kChannels : scratch_.data();
        const sf_count_t got = sf_readf_float(file_, target, want);
        const int64_t n = std::max<sf_count_t>(got, 0);
        if (info_.channels == 1) {
            for (int64_t i = 0; i < n; ++i)
                out[(done + i) * 2] = out[(done + i) * 2 + 1] = scratch_[static_cast<size_t>(i)];
        } else if (info_.channels > kChannels) {
            for (int64_t i = 0; i < n; ++i) {
                out[(done + i) * 2] = scratch_[static_cast<size_t>(i * info_.channels)];
                out[(done + i) * 2 + 1] = scratch_[static_cast<size_t>(i * info_.channels + 1)];
            }
        }
        done += n;
        position_ += n;
        if (n < want) {
            NoteEarlyEnd(sf_error(file_) != SF_ERR_NO_ERROR ? Reason(file_) : std::string());
            break;
        }
    }
    return done;
}

void AudioFileReader::NoteEarlyEnd(const std::string& reason)
{
    const int64_t promised = info_.frames + shortfall_;
    info_.frames = position_;
    shortfall_ = promised - position_;
    warning_ = "Audio file " + path_ + " is cut short: " + std::to_string(shortfall_) + " of "
               + std::to_string(promised) + " frames are missing";
    if (!reason.empty())
        warning_ += " (" + reason + ")";
}

} // namespace zarn::audio
