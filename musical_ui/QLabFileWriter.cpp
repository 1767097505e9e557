#include "QLabFileWriter.h"

#include "zarn_core/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <functional>
#include <iostream>
#include <sstream>
#include <stdexcept>

namespace {

// Parameters that appear in more than one condition.
void WriteLevel(QLabFileWriter::JsonWriter& w, bool fadeable)
{
    QLabFileWriter::WriteParameter(w, "dbvalue", "Target Volume (dB)", "scalar", "-6.0", false, {}, fadeable);
}

void WriteFadeTime(QLabFileWriter::JsonWriter& w)
{
    QLabFileWriter::WriteParameter(w, "timevalue", "Fade Time (sec)", "scalar", "1.0", false, {}, false);
}

void Text(QLabFileWriter::JsonWriter& w, const char* key, const std::string& value)
{
    w.Key(key);
    w.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
}

using Body = std::function<void()>;

// One condition object: its predicate and template, then its parameters and its nested
// conditions, each written only when given.
void WriteCondition(QLabFileWriter::JsonWriter& w, const char* predicate, const char* templ,
                    const Body& parameters = {}, const Body& conditions = {})
{
    w.StartObject();
    Text(w, "predicate", predicate);
    Text(w, "template", templ);
    if (parameters) {
        w.Key("parameters");
        w.StartArray();
        parameters();
        w.EndArray();
    }
    if (conditions) {
        w.Key("conditions");
        w.StartArray();
        conditions();
        w.EndArray();
    }
    w.EndObject();
}

void WriteSongCondition(QLabFileWriter::JsonWriter& w, const std::string& firstSong)
{
    WriteCondition(
        w, "message == 'song'", "{prefix}/{action}",
        [&] {
            QLabFileWriter::WriteParameter(w, "action", "Action", "menu", "play", false,
                                           {{"Play", "play"}, {"Fade Out", "fadeout"}, {"Fade To", "fadeto"},
                                            {"Volume", "volume"}},
                                           false);
        },
        [&] {
            WriteCondition(w, "action == 'play'", "{prefix}/song/{songnumber}/{action}", [&] {
                QLabFileWriter::WriteParameter(w, "songnumber", "Song Number", "string", firstSong, false, {}, false);
            });
            WriteCondition(w, "action == 'fadeout'", "{prefix}/{action} {timevalue}", [&] {
                QLabFileWriter::WriteParameter(w, "timevalue", "Fade Time (sec)", "string", "3.0", false, {}, false);
            });
            WriteCondition(w, "action == 'fadeto'", "{prefix}/{action} {dbvalue} {timevalue}", [&] {
                WriteLevel(w, false);
                WriteFadeTime(w);
            });
            WriteCondition(w, "action == 'volume'", "{prefix}/volume {dbvalue}", [&] { WriteLevel(w, true); });
        });
}

void WriteEventCondition(QLabFileWriter::JsonWriter& w)
{
    WriteCondition(w, "message == 'event'", "{prefix}/{message}/{eventid}/{eventaction}", [&] {
        QLabFileWriter::WriteParameter(w, "eventid", "Target Event ID", "string", "", false, {}, false);
        QLabFileWriter::WriteParameter(w, "eventaction", "Action", "menu", "go", true, {{"Go", "go"}}, false);
    });
}

void WriteSfxCondition(QLabFileWriter::JsonWriter& w)
{
    WriteCondition(
        w, "message == 'sfx'", "{prefix}/{message}/{sfxid}/{sfxaction}",
        [&] {
            QLabFileWriter::WriteParameter(w, "sfxid", "Target Sfx ID", "string", "", false, {}, false);
            QLabFileWriter::WriteParameter(w, "sfxaction", "Action", "menu", "play", false,
                                           {{"Play/Fade In", "play"}, {"Stop/Fade Out", "stop"}, {"Fade To", "fadeto"}},
                                           false);
        },
        [&] {
            WriteCondition(w, "sfxaction == 'fadeto'", "{prefix}/{message}/{sfxid}/fadeto {dbvalue} {timevalue}", [&] {
                WriteLevel(w, false);
                WriteFadeTime(w);
            });
        });
}

void WriteGeneralCondition(QLabFileWriter::JsonWriter& w)
{
    WriteCondition(
        w, "message == 'general'", "{prefix}/{action}",
        [&] {
            QLabFileWriter::WriteParameter(w, "action", "Action", "menu", "advance", false,
                                           {{"Advance", "advance"}, {"Pause", "pause"}, {"Stop", "stop"},
                                            {"Custom", "customcmd"}},
                                           false);
        },
        [&] {
            WriteCondition(w, "action == 'pause'", "{prefix}/{action}");
            WriteCondition(w, "action == 'customcmd'", "{prefix}/{custommsg}", [&] {
                QLabFileWriter::WriteParameter(w, "custommsg", "Custom Command", "string", "", false, {}, false);
            });
        });
}

} // namespace

QLabFileWriter::QLabFileWriter(std::shared_ptr<Interface> engine) : engine_(std::move(engine)) {}

std::string QLabFileWriter::GetFileName()
{
    return std::string("qlab_network_patch_definition") + ".qlabnetwork";
}

void QLabFileWriter::WriteParameter(JsonWriter& w, const std::string& key, const std::string& displayName,
                                    const std::string& type, const std::string& defaultValue, bool hidden,
                                    const Choices& choices, bool fadeable)
{
    w.StartObject();
    Text(w, "key", key);
    Text(w, "type", type);
    if (!displayName.empty())
        Text(w, "displayName", displayName);
    w.Key("hidden");
    w.Bool(hidden);
    Text(w, "defaultValue", defaultValue);
    if (type == "string") {
        w.Key("width");
        w.Int(125);
    }
    if (!choices.empty()) {
        w.Key("values");
        w.StartArray();
        for (const auto& [label, value] : choices) {
            w.StartObject();
            Text(w, label.c_str(), value);
            w.EndObject();
        }
        w.EndArray();
    }
    w.Key("fadeable");
    w.Bool(fadeable);
    w.EndObject();
}

void QLabFileWriter::Write(std::ostream& out)
{
    rapidjson::OStreamWrapper stream(out);
    JsonWriter w(stream);
    w.SetIndent(' ', 4);
    w.StartObject();
    if (!engine_) {
        stream.Flush();
        throw std::runtime_error("QLab File Writer has no data to write.");
    }

    const Interface::SongNameMap songs = engine_->GetSongNamesBySongNumber();
    const std::string firstSong = songs.empty() ? std::string() : songs.begin()->first;

    Text(w, "identifier", "com.lanternhillstudios." + GetFileName());
    Text(w, "displayName", "ZARN Software");
    w.Key("api");
    w.Int(1);
    Text(w, "messageType", "OSC");

    w.Key("network");
    w.StartArray();
    w.StartObject();
    Text(w, "transport", "UDP");
    w.Key("defaultPort");
    w.Int(55036);
    w.Key("canEditPort");
    w.Bool(true);
    w.EndObject();
    w.EndArray();

    w.Key("parameters");
    w.StartArray();
    WriteParameter(w, "prefix", "", "string", "/zarn", true, {}, false);
    WriteParameter(w, "message", "Message", "menu", "song", false,
                   {{"Song", "song"}, {"Event", "event"}, {"SFX", "sfx"}, {"General", "general"}}, false);
    w.EndArray();

    w.Key("conditions");
    w.StartArray();
    WriteSongCondition(w, firstSong);
    WriteEventCondition(w);
    WriteSfxCondition(w);
    WriteGeneralCondition(w);
    w.EndArray();

    w.EndObject();
    stream.Flush();
}

QString QLabFileWriter::LocalFolder(const QString& folder)
{
    const QString text = folder.trimmed();
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl(text, QUrl::TolerantMode).toLocalFile();
    // Another scheme ("http://...") names no folder on this machine.
    static const QRegularExpression otherScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+://"));
    if (otherScheme.match(text).hasMatch())
        return {};
    return text;
}

QLabFileWriter::ExportResult QLabFileWriter::ExportToFolder(const QString& folder)
{
    ExportResult result;
    try {
        const QString local = LocalFolder(folder);
        if (local.isEmpty())
            throw std::runtime_error("Not a folder on this computer: \"" + folder.toStdString() + "\"");
        result.filePath = QDir(local).filePath(QString::fromStdString(GetFileName()));
        const QFileInfo info(local);
        if (!info.exists())
            throw std::runtime_error("The folder \"" + local.toStdString() + "\" does not exist.");
        if (!info.isDir())
            throw std::runtime_error("\"" + local.toStdString() + "\" is not a folder.");

        std::ostringstream document;
        Write(document);
        zarn::AtomicFile::Write(std::filesystem::path(QFile::encodeName(result.filePath).toStdString()),
                                document.str());
        result.ok = true;
    } catch (const std::exception& e) {
        result.reason = QString::fromStdString(e.what());
    } catch (...) {
        result.reason = QStringLiteral("Unknown error.");
    }
    if (!result.ok)
        std::cerr << "Error exporting qlab: " << result.reason.toStdString() << std::endl;
    return result;
}
