#pragma once

#include <cstdint>
#include <exception>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// Writes the diagnostic file left behind when an exception ends the run: a header naming
// the program, the machine and its volumes, then time-stamped lines. Lines may come from
// any thread; each is one uninterrupted write.
class ErrorLogWriter
{
public:
    struct Volume
    {
        std::string name;
        std::string rootPath;
        std::string fileSystemType;
        std::int64_t bytesAvailable = 0;
        std::int64_t bytesTotal = 0;
        bool validAndReady = true;
    };

    // What the header says about the machine; gathered from the system by default,
    // given explicitly where the exact bytes matter.
    struct SystemInfo
    {
        std::string cpuArchitecture;
        std::string productType;
        std::string kernelType;
        std::string kernelVersion;
        std::string hostName;
        std::vector<Volume> volumes;

        static SystemInfo Current();
    };

    ErrorLogWriter(std::ostream* stream, const std::string& application, const std::string& version);
    ErrorLogWriter(std::ostream* stream, const std::string& application, const std::string& version,
                   SystemInfo system);
    ErrorLogWriter(const ErrorLogWriter&) = delete;
    ErrorLogWriter& operator=(const ErrorLogWriter&) = delete;

    void WriteHeader();
    void WriteLine(const std::string& text);
    void WriteException(const std::exception& e);

    // The log of an exception that ended the run, composed in memory and put in place in one
    // step, so a crash while writing never leaves half a log over the previous one. Throws
    // std::runtime_error naming the file when it cannot be written; the old log then stays.
    static void WriteFile(const std::filesystem::path& file, const std::exception& e, const std::string& application,
                          const std::string& version);

    static std::uint64_t Fnv1a64(std::string_view bytes);
    // The exception's dynamic type in the form "class std::runtime_error".
    static std::string ExceptionTypeName(const std::exception& e);
    static std::string ExceptionRecord(const std::exception& e);

    bool echo = true;

private:
    std::ostream* stream_;
    std::mutex lineMutex_;
    std::string application_;
    std::string version_;
    SystemInfo system_;
};
