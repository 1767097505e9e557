#pragma once

#include <QObject>

#include <memory>
#include <string>

class QQmlEngine;

namespace zarn {
class AppSettings;
class PlayerFactory;
} // namespace zarn

namespace zarn::qt {

class DialogController;

// The notices an edition shows when its main window opens, as message dialogs of that
// window. Both are tied to the never-show flag "ShowRehearsalNotice" of the general settings.
class EditionNotices
{
public:
    // This edition is for rehearsals; it offers never to show itself again.
    static std::unique_ptr<DialogController> Rehearsal(const zarn::PlayerFactory& profile, QObject* window,
                                                       QQmlEngine* engine,
                                                       std::shared_ptr<zarn::AppSettings> settings);
    // The steps to take before a performance; OK only once they are acknowledged.
    static std::unique_ptr<DialogController> Performance(const zarn::PlayerFactory& profile, QObject* window,
                                                         QQmlEngine* engine,
                                                         std::shared_ptr<zarn::AppSettings> settings);

    static std::string PerformanceText();
    static constexpr const char* kNeverShowKey = "ShowRehearsalNotice";
    static constexpr const char* kPerformanceEssentialsUrl =
        "https://lanternhillstudios.example/performance-essentials";
};

} // namespace zarn::qt
