#pragma once

namespace notify::names {

// Payload: int* row.
inline constexpr const char* EVT_MARKER_PANEL_SELECTED = "EVT_MARKER_PANEL_SELECTED";
// Payload: int* row.
inline constexpr const char* EVT_CHANGE_LOG_PANEL_SELECTED = "EVT_CHANGE_LOG_PANEL_SELECTED";
// Payload: null.
inline constexpr const char* editModelUpdatedSelectedZarnEvent = "editModelUpdatedSelectedZarnEvent";
// Payload: cmn::ZarnEvent*.
inline constexpr const char* zarnEventWidgetSelected = "zarnEventWidgetSelected";
// Payload: null.
inline constexpr const char* editControllerShowEditor = "editControllerShowEditor";
// Payload: pointer to {std::int32_t tick; bool playing;}.
inline constexpr const char* editControllerMarkerListSelected = "editControllerMarkerListSelected";
// Payload: bool*.
inline constexpr const char* editModelChangeLogNeedsSave = "editModelChangeLogNeedsSave";
// Payload: bool*.
inline constexpr const char* editModelChangeLogNeedsUpload = "editModelChangeLogNeedsUpload";

} // namespace notify::names
