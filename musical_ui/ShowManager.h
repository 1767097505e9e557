#pragma once

#include "Interface.h"
#include "zarn_core/Editor.h"
#include "zarn_core/ZarnEvent.h"
#include "zarn_kit/NumericStringCompare.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zarn {

// Holds the engine of the loaded show, its song list and its change-log editor, and offers
// the thin operations over the engine that the screens call instead of reaching it
// themselves. After the engine is installed, and after every change of change-log file, it
// shows the engine's warnings about edits the engine had to change by itself.
// GUI thread only.
class ShowManager
{
public:
    using SongMap = std::map<std::string, std::string, kit::NumericStringCompare>;

    explicit ShowManager(std::shared_ptr<Interface> player);

    // Throws when an engine is held already, or when `player` is empty.
    void InstantiatePlayer(std::shared_ptr<Interface> player);
    // Shuts the engine down and lets go of it; a failing shutdown is swallowed and the
    // engine is kept. Never throws.
    void Shutdown();

    // Lets go of the engine without shutting it down (its owner does that); GetPlayer is
    // empty from then on.
    void ReleasePlayer();
    std::shared_ptr<Interface> GetPlayer() const;
    std::string GetCurrentSongNumber();
    std::string GetBarString(unsigned tick);
    // Pauses the engine first: every edit goes through here. The OSC destinations are the
    // exception: they go through UpdateNetworks.
    CL::Editor* PauseAndGetEditor();
    CL::Editor* GetEditor() const;
    std::vector<std::unique_ptr<cmn::ZarnEvent>> GetChangeLogPanelEvents();
    std::string GetLogVersion();
    // The markers of the current song, each with its bar text. The events are the engine's
    // and stay valid only until its change log changes.
    std::vector<std::pair<cmn::ZarnEvent*, std::string>> GetMarkers();
    unsigned GetSongLength(std::string songNumber);
    unsigned GetSongStartTickIndex(std::string songNumber);
    void SetChangelogFilename(std::string path);
    void SelectSongLogForEditing(const std::string& songNumber);
    // Through the engine, not the editor: its threads read the destinations while cues go
    // out, and only the engine can change them under its lock.
    void UpdateNetworks(const std::vector<CL::NetworkPath>& networks);
    void RefreshAttaccas();

    // Song number to song name, in show order, as the engine gave it at installation.
    const SongMap& GetSongMap() const;

    // The text of the window shown when the engine repaired inverted loops.
    static std::string InvertedLoopWarning(const std::string& description);

private:
    Interface& Player() const;
    CL::Editor& Editor() const;
    void ShowModifiedClickEdits();
    void ShowTempoScaleWarnings();
    void ShowInvertedLoops();
    static void ShowWarningWindow(const std::string& text);

    std::shared_ptr<Interface> player_;
    SongMap songMap_;
    CL::Editor* editor_ = nullptr;
};

} // namespace zarn
