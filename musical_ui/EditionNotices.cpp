#include "EditionNotices.h"

#include "AppSettings.h"
#include "DialogController.h"
#include "PlayerFactory.h"

#include <utility>

namespace zarn::qt {

namespace {

std::string Title(const zarn::PlayerFactory& profile)
{
    return "Welcome to " + profile.displayName.toStdString();
}

std::string Link(const char* text)
{
    return std::string("<a href=\"") + EditionNotices::kPerformanceEssentialsUrl
           + "\"><font color=\"#7fbfff\">" + text + "</font></a>";
}

} // namespace

std::unique_ptr<DialogController> EditionNotices::Rehearsal(const zarn::PlayerFactory& profile, QObject* window,
                                                            QQmlEngine* engine,
                                                            std::shared_ptr<zarn::AppSettings> settings)
{
    const std::string name = profile.displayName.toStdString();
    return std::make_unique<DialogController>(
        "This edition of " + name
            + " is for rehearsal purposes only. The edits you make in it transfer automatically to the "
              "performance edition.",
        Title(profile), DialogController::Information, window, engine, std::move(settings), true, kNeverShowKey,
        false, false, false, "Acknowledge");
}

std::unique_ptr<DialogController> EditionNotices::Performance(const zarn::PlayerFactory& profile,
                                                              QObject* window, QQmlEngine* engine,
                                                              std::shared_ptr<zarn::AppSettings> settings)
{
    // No visible never-show box: the notice comes at every start. The flag's box can still be
    // revealed; the dialog then records it like any other.
    return std::make_unique<DialogController>(PerformanceText(), Title(profile), DialogController::Information,
                                              window, engine, std::move(settings), false, kNeverShowKey, true,
                                              true, true, "I have completed the performance essentials steps.");
}

std::string EditionNotices::PerformanceText()
{
    return "Corvane is for PERFORMANCE PURPOSES ONLY.<br><br>Follow these " + Link("performance essentials steps")
           + ":<br><br>1. Check and run operating system updates on Mac or Windows.<br>"
             "2. Download the latest version of Corvane.<br>"
             "3. Test your show in Corvane at least one week before opening night.<br>"
             "4. Use a hard-wired audio output.<br>"
             "5. Restart your computer before every performance.<br>"
             "6. Disconnect from the internet/Wi-Fi during performances.<br><br>"
             "For more information, check out the "
           + Link("ZARN Support Center") + ".";
}

} // namespace zarn::qt
