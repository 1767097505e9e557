// Writes the audio files of a show folder from its show.json:
//   demo_audio <show folder>
#include "DemoAudioSynth.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <show folder>\n", argv[0]);
        return 2;
    }
    try {
        for (const auto& file : zarn::tools::DemoAudioSynth::RenderShow(argv[1]))
            std::printf("wrote %s\n", file.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "demo_audio: %s\n", e.what());
        return 1;
    }
    return 0;
}
