#pragma once

#include "Interface.h"

#include <QString>

#include <rapidjson/ostreamwrapper.h>
#include <rapidjson/prettywriter.h>

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Writes the network patch file with which QLab learns this program's OSC commands: how to
// reach the program, and the song, event, sound-effect and transport commands as parameters,
// conditions and address templates. The only show data in it is the first song number,
// read from the engine on every write.
class QLabFileWriter
{
public:
    using JsonWriter = rapidjson::PrettyWriter<rapidjson::OStreamWrapper>;
    // A menu's choices in order: (label, value).
    using Choices = std::vector<std::pair<std::string, std::string>>;

    // What ExportToFolder did: on failure `reason` says why and nothing was written.
    struct ExportResult
    {
        bool ok = false;
        QString reason;
        QString filePath; // the file written, or the one that was meant
    };

    explicit QLabFileWriter(std::shared_ptr<Interface> engine);

    // The same name for every show; the document's identifier ends with it.
    static std::string GetFileName();

    // The whole document, with no line break after its closing brace. Throws
    // std::runtime_error when there is no engine; `out` then holds only the opening brace.
    void Write(std::ostream& out);

    // One parameter object at the writer's position. "displayName" is left out when empty,
    // "width" is written only for "string" parameters, "values" only when there are choices.
    static void WriteParameter(JsonWriter& writer, const std::string& key, const std::string& displayName,
                               const std::string& type, const std::string& defaultValue, bool hidden,
                               const Choices& choices, bool fadeable);

    // Writes the file into `folder`, given as a local path or as a file URL (percent-encoded,
    // as a folder dialog hands it over). The document is made in memory first and replaces
    // the file only once complete, so a failure leaves no file, or the old one byte for byte.
    // A failure is also written to standard error as "Error exporting qlab: <reason>".
    // Never throws.
    ExportResult ExportToFolder(const QString& folder);

    // The folder text as a local path: a URL with a scheme is read as a URL (only a file URL
    // gives a path); anything else is a path as it stands. Empty when it names no local folder.
    static QString LocalFolder(const QString& folder);

private:
    std::shared_ptr<Interface> engine_;
};
