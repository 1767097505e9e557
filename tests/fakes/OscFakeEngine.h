#pragma once

#include "InertEngine.h"
#include "zarn_core/Editor.h"
#include "zarn_core/NetworkPath.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

// An engine for the OSC tests: it records the transport calls the OSC code makes, as
// lines of text, and answers its questions from plain fields. The recording, GetIsPlaying
// and GetNetwork are safe from any thread; the other fields are set before use. The rest of
// the engine is inert.
class OscFakeEngine : public InertEngine
{
public:
    OscFakeEngine();

    std::vector<std::string> calls() const;
    void clearCalls();

    // --- what the fake answers ---
    std::atomic<bool> playing{false};
    bool paused = false;
    std::string currentSong = "1";
    std::set<std::string> songs{"1", "2", "5"};
    std::uint32_t tickIndex = 0;
    std::uint32_t audioEndTick = 100000;
    std::uint8_t attacca = 0;
    CL::Editor editor;
    bool hasEditor = true;
    std::map<std::string, CL::NetworkPath> networks;
    std::atomic<int> networkLookups{0};

    // --- the engine members the OSC code uses ---
    void Stop() override;
    void Play() override;
    void Continue() override;
    void Pause(bool flag) override;
    void NextSong() override;
    void Seek(std::uint32_t tick) override;
    void LoadSong(const std::string& song) override;
    bool GetIsPlaying() override;
    bool GetIsPaused() override;
    std::string GetCurrentSongNumber() override;
    bool SongExists(const std::string& song) override;
    std::string GetActualSongNumber(const std::string& song) override;
    std::uint32_t GetTickIndex() override;
    std::uint32_t GetSongAudioEndTick(const std::string& song) override;
    std::uint8_t GetAttacca(const std::string& song) override;
    CL::Editor* GetChangeLogEditor() override;
    CL::NetworkPath GetNetwork(const std::string& id) override;
    void SetVolume(double gain, int volumeType) override;

private:
    void record(std::string call);

    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
};
