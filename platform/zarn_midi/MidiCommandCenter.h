#pragma once

#include "MidiCommandRecord.h"
#include "MidiEndPoint.h"
#include "MidiInputBackend.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zarn::midi {

// The engine's MIDI remote control: listens to one input source, learns and stores which
// message triggers which command, and reports matches. The handlers run on the input
// thread (or the caller's thread for Learn and the timeout), never under the lock.
class MidiCommandCenter
{
public:
    struct Handlers
    {
        std::function<void()> anyInput;
        std::function<void(uint8_t id, int packed)> learned;
        std::function<void(uint8_t id)> canceled;
        std::function<void(uint8_t id)> command;
    };

    static constexpr double kLearnTimeoutSeconds = 30.0;
    static const std::map<uint8_t, std::string>& CommandNames();
    static std::vector<int> AllowedStatuses();
    static int Pack(uint8_t id, const MidiCommandRecord& record);

    // `settingsFile` holds the assignments; a missing or unreadable file starts empty.
    MidiCommandCenter(std::unique_ptr<MidiInputBackend> backend, std::string settingsFile, Handlers handlers);
    ~MidiCommandCenter();
    MidiCommandCenter(const MidiCommandCenter&) = delete;
    MidiCommandCenter& operator=(const MidiCommandCenter&) = delete;

    std::vector<MidiEndPoint> GetSources();
    // Any index outside the list is ignored.
    void SetSource(int index);
    bool HasSource() const;
    uint8_t ConnectedIndex() const;

    std::map<uint8_t, MidiCommandRecord> Learned() const;
    bool IsLearning(uint8_t id) const;
    // Throws std::invalid_argument for an unknown command or a value out of range.
    void SetCommand(uint8_t id, uint8_t status, uint8_t channel, uint8_t note);
    void Learn(uint8_t id, double nowSeconds);
    void ExpireLearning(double nowSeconds);
    // Stops listening; no handler runs after it returns.
    void Shutdown();

    // Why the input can never list a source; empty when it can.
    std::string InputProblem() const;
    // The last failure to read or write the settings file; empty when none.
    std::string LastStorageProblem() const;
    // Feeds one message as the input thread would (the backend calls this).
    void HandleMessage(const std::vector<uint8_t>& message);

private:
    void Load();
    void SaveLocked();
    std::vector<uint8_t> TakeOverLocked(uint8_t id, const MidiCommandRecord& record);

    std::unique_ptr<MidiInputBackend> backend_;
    std::string settingsFile_;
    Handlers handlers_;
    mutable std::mutex mutex_;
    std::map<uint8_t, MidiCommandRecord> learned_;
    std::optional<uint8_t> learning_;
    double learnStarted_ = 0.0;
    int connected_ = -1;
    bool shutDown_ = false;
    std::string storageProblem_;
};

} // namespace zarn::midi
