#pragma once

#include "AudioFormat.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct sf_private_tag;

namespace zarn::audio {

// An audio file that cannot be opened or read. what() is a whole sentence for the operator
// that names the file and says what is wrong with it.
class AudioFileError : public std::runtime_error
{
public:
    AudioFileError(std::string path, const std::string& message)
        : std::runtime_error(message)
        , path_(std::move(path))
    {
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

struct AudioFileInfo
{
    int sampleRate = 0;
    int channels = 0;   // the file's own; Read always gives stereo
    int64_t frames = 0; // frames that can be read, as far as is known so far
    std::string format; // for messages: "WAV 24-bit", "FLAC 16-bit", "Ogg Vorbis", ...
};

// Reads WAV (16/24-bit integer, 32-bit float), AIFF, FLAC and Ogg Vorbis through libsndfile
// as interleaved stereo float: a mono file goes to both channels, a file with more than two
// channels gives its first two. Not thread-safe; one thread uses a reader at a time.
//
// A file shorter than its header says (cut off while copying, a damaged FLAC frame) is not
// an error: it reads what is there, Info().frames shrinks to that once it is known, and
// Shortfall() and Warning() say how much is missing.
class AudioFileReader
{
public:
    // Throws AudioFileError: no such file, a folder, empty, not an audio format, damaged.
    explicit AudioFileReader(std::string path);
    ~AudioFileReader();
    AudioFileReader(AudioFileReader&& other) noexcept;
    AudioFileReader& operator=(AudioFileReader&& other) noexcept;
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    const std::string& Path() const { return path_; }
    const AudioFileInfo& Info() const { return info_; }
    int64_t Position() const { return position_; }

    // Clamped to [0, Info().frames]. Throws AudioFileError when the file cannot seek there.
    void Seek(int64_t frame);
    // Reads up to `frames` stereo frames into out (2 * frames floats) from Position().
    // Returns the frames read: fewer only at the end of what the file holds.
    int64_t Read(float* out, int64_t frames);

    // Frames the file's header promises but the file does not hold (0 when whole or unknown).
    int64_t Shortfall() const { return shortfall_; }
    // A sentence naming the file when it is cut short or damaged part way; empty when fine.
    const std::string& Warning() const { return warning_; }

private:
    void Close();
    void NoteEarlyEnd(const std::string& reason);

    std::string path_;
    sf_private_tag* file_ = nullptr;
    AudioFileInfo info_;
    int64_t position_ = 0;
    int64_t shortfall_ = 0;
    std::string warning_;
    std::vector<float> scratch_; // the file's own channel layout, for other than stereo files
};

} // namespace zarn::audio
