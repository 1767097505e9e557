#pragma once

#include "AmbientSfx.h"
#include "Caesura.h"
#include "Click.h"
#include "Cut.h"
#include "Fermata.h"
#include "Marker.h"
#include "Osc.h"
#include "Repeat.h"
#include "Sfx.h"
#include "TempoScale.h"
#include "Transpose.h"
#include "Vamp.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace CL {

// The change-log events of one song, one vector per kind, each in ascending start order
// (ties keep insertion order). References and pointers into the vectors stay valid until
// the song log is next changed.
class SongLog
{
public:
    const std::vector<Fermata>& GetFermatas() const { return fermatas_; }
    const std::vector<Vamp>& GetVamps() const { return vamps_; }
    const std::vector<Cut>& GetCuts() const { return cuts_; }
    const std::vector<Repeat>& GetRepeats() const { return repeats_; }
    const std::vector<Transpose>& GetTranspositions() const { return transpositions_; }
    const std::vector<Click>& GetClicks() const { return clicks_; }
    const std::vector<TempoScale>& GetTempoScales() const { return tempoScales_; }
    const std::vector<Osc>& GetOscs() const { return oscs_; }
    const std::vector<Marker>& GetMarkers() const { return markers_; }
    const std::vector<Caesura>& GetDisplayCaesurasRef() const { return caesuras_; }
    const std::vector<Sfx>& GetSfxs() const { return sfxs_; }
    const std::vector<AmbientSfx>& GetAmbientSfxs() const { return ambientSfxs_; }

    // Every known event, ordered by start, then kind letter, then id.
    std::vector<const cmn::ZarnEvent*> GetAllEvents() const;
    std::size_t EventCount() const;

    // 0 plays the song when cued, 1 continues into the next song, 2 skips the song.
    std::uint8_t GetAttacca() const { return attacca_; }
    void SetAttacca(std::uint8_t state) { attacca_ = state; }

    // --- Used by the editor and the file reader. ---

    // Adds a copy with the dynamic type of its kind. Throws std::invalid_argument for a
    // kind this library does not know.
    cmn::ZarnEvent& Insert(const cmn::ZarnEvent& event);
    // The stored event matching `like`: same kind and id when the id is not empty,
    // otherwise equal content. Null when there is none.
    cmn::ZarnEvent* Find(const cmn::ZarnEvent& like);
    const cmn::ZarnEvent* Find(const cmn::ZarnEvent& like) const;
    // Removes the event Find would return; false when there is none.
    bool Remove(const cmn::ZarnEvent& like);
    // Calls f for every known event (kind by kind, in vector order); f may change values
    // but not the start (use Remove and Insert to move).
    void ForEachEvent(const std::function<void(cmn::ZarnEvent&)>& f);
    void ForEachEvent(const std::function<void(const cmn::ZarnEvent&)>& f) const;

    // Events of kinds this library does not know, each one JSON object text, written
    // back unchanged on save.
    std::vector<std::string>& UnknownEventsJson() { return unknownEvents_; }
    const std::vector<std::string>& UnknownEventsJson() const { return unknownEvents_; }
    // Members of the song's entry this library does not know, as one JSON object text.
    const std::string& UnknownMembersJson() const { return unknownMembers_; }
    void UnknownMembersJson(std::string json) { unknownMembers_ = std::move(json); }

    bool operator==(const SongLog&) const = default;

private:
    template <class F>
    decltype(auto) WithVector(char code, F&& f);

    std::vector<Fermata> fermatas_;
    std::vector<Vamp> vamps_;
    std::vector<Cut> cuts_;
    std::vector<Repeat> repeats_;
    std::vector<Transpose> transpositions_;
    std::vector<Click> clicks_;
    std::vector<TempoScale> tempoScales_;
    std::vector<Osc> oscs_;
    std::vector<Marker> markers_;
    std::vector<Caesura> caesuras_;
    std::vector<Sfx> sfxs_;
    std::vector<AmbientSfx> ambientSfxs_;
    std::uint8_t attacca_ = 0;
    std::vector<std::string> unknownEvents_;
    std::string unknownMembers_;
};

} // namespace CL
