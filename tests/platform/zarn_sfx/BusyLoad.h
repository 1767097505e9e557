#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace zarn::audio::test {

// Busy processes in sessions of their own, killed (by their ids) when it ends.
class BusyLoad
{
public:
    explicit BusyLoad(int processes)
    {
        std::vector<char> buffer(16 << 20, 1); // touched by the parent, copied on write by each child
        for (int i = 0; i < processes; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                setsid();
                volatile uint64_t sink = 0;
                for (uint64_t round = 0;; ++round) {
                    for (size_t at = 0; at < buffer.size(); at += 64)
                        buffer[at] = char(buffer[at] + 1);
                    for (uint64_t k = 0; k < 2'000'000; ++k)
                        sink = sink * 6364136223846793005ULL + k;
                }
            }
            if (pid > 0)
                children_.push_back(pid);
        }
    }
    ~BusyLoad()
    {
        for (pid_t pid : children_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

private:
    std::vector<pid_t> children_;
};

} // namespace zarn::audio::test
