#pragma once

#include "AudioInterface.h"
#include "ManualClock.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <utility>

// The real engine as the editing page's tests run it, on their own copy of the demo show.

// Copies the demo show into `dir` as "show" and gives the copy's folder, whose files a test
// may change before an engine reads them.
QString CopyDemoShow(const QTemporaryDir& dir);

// The engine's options in the tests: the clock given, no sound, a fake MIDI input without ports.
AudioInterface::Options QuietEngineOptions(std::shared_ptr<zarn::player::ManualClock> clock);

// The engine (or a test's subclass of it that watches some calls) on the show copied into
// `dir`, with its data folder beside the show; a failure of its start-up is thrown.
template <class Engine = AudioInterface>
std::shared_ptr<Engine> StartDemoEngine(const QTemporaryDir& dir,
                                        std::shared_ptr<zarn::player::ManualClock> clock =
                                            std::make_shared<zarn::player::ManualClock>())
{
    auto engine = std::make_shared<Engine>(dir.filePath(QStringLiteral("show")).toStdString(),
                                           dir.filePath(QStringLiteral("data")).toStdString(), nullptr,
                                           QuietEngineOptions(std::move(clock)));
    engine->ThrowIfThreadExceptions();
    return engine;
}
