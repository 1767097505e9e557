#include "DemoShowEngine.h"

#include "FakeMidiInputBackend.h"

#include <filesystem>
#include <string>
#include <vector>

QString CopyDemoShow(const QTemporaryDir& dir)
{
    const QString show = dir.filePath(QStringLiteral("show"));
    std::filesystem::copy(CORVANE_DEMO_SHOW, show.toStdString(), std::filesystem::copy_options::recursive);
    return show;
}

AudioInterface::Options QuietEngineOptions(std::shared_ptr<zarn::player::ManualClock> clock)
{
    AudioInterface::Options options;
    options.clock = std::move(clock);
    options.sound = false;
    options.midiInput = std::make_unique<zarn::midi::FakeMidiInputBackend>(std::vector<std::string>{});
    return options;
}
