#pragma once

namespace codes {

// The kind letters of change-log events. Range kinds carry [start, end); point kinds
// store end 0.
inline constexpr char Vamp = '@';
inline constexpr char Repeat = 'A';
inline constexpr char Cut = 'B';
inline constexpr char Transpose = 'C';
inline constexpr char TempoScale = 'D';
inline constexpr char Marker = 'E';
inline constexpr char Click = 'L';
inline constexpr char Fermata = 'M'; // the skip
inline constexpr char Caesura = 'N';
inline constexpr char Sfx = 'Q';
inline constexpr char AmbientSfx = 'R';
inline constexpr char Osc = 'S';

// True for the kinds this library knows.
bool IsKnownEventCode(char code) noexcept;
// True for the range kinds (cut, skip, vamp, repeat, click, transpose, tempo scale).
bool IsPairedEventCode(char code) noexcept;

} // namespace codes
