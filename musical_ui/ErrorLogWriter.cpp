#include "ErrorLogWriter.h"

#include "zarn_core/AtomicFile.h"

#include <QStorageInfo>
#include <QSysInfo>

#include <chrono>
#include <ctime>
#include <cxxabi.h>
#include <iostream>
#include <memory>
#include <sstream>
#include <typeinfo>

namespace {

const char* const kSeparator = "-------------------------------------------\n";

std::string Local8Bit(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

std::string DemangledName(const std::type_info& type)
{
#ifdef _WIN32
    // MSVC already names the type as "class std::runtime_error".
    return type.name();
#else
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    const std::string name = (status == 0 && demangled) ? demangled.get() : type.name();
    // libstdc++ keeps its inline ABI namespace in the name; the log speaks of std::.
    std::string cleaned = name;
    for (const std::string inlineNs : {"__cxx11::", "__1::"}) {
        for (auto at = cleaned.find(inlineNs); at != std::string::npos; at = cleaned.find(inlineNs))
            cleaned.erase(at, inlineNs.size());
    }
    return "class " + cleaned;
#endif
}

} // namespace

ErrorLogWriter::SystemInfo ErrorLogWriter::SystemInfo::Current()
{
    SystemInfo info;
    info.cpuArchitecture = Local8Bit(QSysInfo::currentCpuArchitecture());
    info.productType = Local8Bit(QSysInfo::prettyProductName());
    info.kernelType = Local8Bit(QSysInfo::kernelType());
    info.kernelVersion = Local8Bit(QSysInfo::kernelVersion());
    info.hostName = Local8Bit(QSysInfo::machineHostName());
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        Volume volume;
        volume.name = Local8Bit(storage.name());
        volume.rootPath = Local8Bit(storage.rootPath());
        volume.fileSystemType = storage.fileSystemType().toStdString();
        volume.bytesAvailable = storage.bytesAvailable();
        volume.bytesTotal = storage.bytesTotal();
        volume.validAndReady = storage.isValid() && storage.isReady();
        info.volumes.push_back(std::move(volume));
    }
    return info;
}

ErrorLogWriter::ErrorLogWriter(std::ostream* stream, const std::string& application, const std::string& version)
    : ErrorLogWriter(stream, application, version, SystemInfo::Current())
{
}

ErrorLogWriter::ErrorLogWriter(std::ostream* stream, const std::string& application, const std::string& version,
                               SystemInfo system)
    : stream_(stream), application_(application), version_(version), system_(std::move(system))
{
    WriteHeader();
}

std::uint64_t ErrorLogWriter::Fnv1a64(std::string_view bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

void ErrorLogWriter::WriteHeader()
{
    std::ostringstream header;
    header << "Lantern Hill Studios Error Log\n" << kSeparator;
    header << "Application: " << application_ << "\n";
    header << "Version: " << version_ << "\n";
    const std::time_t now = std::time(nullptr);
    header << "Log Created on: " << std::ctime(&now);
    header << kSeparator;
    header << "System Information:\n";
    header << "CPU Architecture: " << system_.cpuArchitecture << "\n";
    header << "Product Type: " << system_.productType << "\n";
    header << "Kernel Type: " << system_.kernelType << "\n";
    header << "Kernel Version: " << system_.kernelVersion << "\n";
    header << "Hashed Machine ID: " << std::hex << Fnv1a64(system_.hostName) << "\n";
    header << kSeparator;
    header << "Mounted Volumes:\n";
    if (system_.volumes.empty())
        header << "None.\n";
    constexpr double kBytesToGigabytes = 1.0 / (1024.0 * 1024.0 * 1024.0);
    for (const Volume& volume : system_.volumes) {
        if (!volume.validAndReady)
            continue;
        header << "\tName: " << volume.name << " "
               << "\tRoot:" << volume.rootPath << " "
               << "\tFileSys:" << volume.fileSystemType << " "
               << "\tDisk Spaces:" << static_cast<double>(volume.bytesAvailable) * kBytesToGigabytes << "GB"
               << "/" << static_cast<double>(volume.bytesTotal) * kBytesToGigabytes << "GB" << "\n";
    }
    header << kSeparator;

    const std::string text = header.str();
    if (stream_)
        *stream_ << text;
    if (echo)
        std::cerr << text;
}

void ErrorLogWriter::WriteLine(const std::string& text)
{
    const std::lock_guard lock(lineMutex_);
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count();
    const std::string line = std::to_string(nanoseconds) + ": " + text + "\n";
    if (stream_)
        *stream_ << line;
    if (echo)
        std::cout << line;
}

std::string ErrorLogWriter::ExceptionTypeName(const std::exception& e)
{
    return DemangledName(typeid(e));
}

std::string ErrorLogWriter::ExceptionRecord(const std::exception& e)
{
    return "An EXCEPTION has been generated by the system.\n\tException type: " + ExceptionTypeName(e) + "\n"
           + "\tException: " + e.what() + "\n";
}

void ErrorLogWriter::WriteException(const std::exception& e)
{
    WriteLine(ExceptionRecord(e));
}

void ErrorLogWriter::WriteFile(const std::filesystem::path& file, const std::exception& e,
                               const std::string& application, const std::string& version)
{
    std::ostringstream text;
    {
        ErrorLogWriter writer(&text, application, version);
        writer.WriteException(e);
    }
    zarn::AtomicFile::Write(file, text.str());
}
