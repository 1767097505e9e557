// The QLab network patch: the document as an independent JSON reader sees it, member order,
// the template and predicate structure, every command it describes fed through our own OSC
// encoder, parser and dispatcher, and export into a folder with its failures.
#include "QLabFileWriter.h"

#include "InertEngine.h"
#include "OscCommandDispatcher.h"
#include "OscMessage.h"
#include "RecordingHandler.h"
#include "StreamCapture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <rapidjson/document.h>

#include <cmath>
#include <memory>
#include <set>
#include <sstream>

namespace {

class SongEngine : public InertEngine
{
public:
    explicit SongEngine(SongNameMap map) : songs(std::move(map)) {}
    SongNameMap GetSongNamesBySongNumber() override { return songs; }
    SongNameMap songs;
};

std::shared_ptr<Interface> ShowWithSongs()
{
    // Numeric order puts "2" before "10": the first song is the map's first key.
    return std::make_shared<SongEngine>(Interface::SongNameMap{{"10", "Finale"}, {"2", "Opening"}, {"3", "Act 1"}});
}

QByteArray Render(QLabFileWriter& writer)
{
    std::ostringstream out;
    writer.Write(out);
    return QByteArray::fromStdString(out.str());
}

// The document the patch must be, written out by hand, with "@FIRST_SONG@" for the one show value.
const char* const kExpected = R"json({
  "identifier": "com.lanternhillstudios.qlab_network_patch_definition.qlabnetwork",
  "displayName": "ZARN Software",
  "api": 1,
  "messageType": "OSC",
  "network": [{"transport": "UDP", "defaultPort": 55036, "canEditPort": true}],
  "parameters": [
    {"key": "prefix", "type": "string", "hidden": true, "defaultValue": "/zarn", "width": 125, "fadeable": false},
    {"key": "message", "type": "menu", "displayName": "Message", "hidden": false, "defaultValue": "song",
     "values": [{"Song": "song"}, {"Event": "event"}, {"SFX": "sfx"}, {"General": "general"}], "fadeable": false}
  ],
  "conditions": [
    {"predicate": "message == 'song'", "template": "{prefix}/{action}",
     "parameters": [
       {"key": "action", "type": "menu", "displayName": "Action", "hidden": false, "defaultValue": "play",
        "values": [{"Play": "play"}, {"Fade Out": "fadeout"}, {"Fade To": "fadeto"}, {"Volume": "volume"}],
        "fadeable": false}],
     "conditions": [
       {"predicate": "action == 'play'", "template": "{prefix}/song/{songnumber}/{action}",
        "parameters": [{"key": "songnumber", "type": "string", "displayName": "Song Number", "hidden": false,
                        "defaultValue": "@FIRST_SONG@", "width": 125, "fadeable": false}]},
       {"predicate": "action == 'fadeout'", "template": "{prefix}/{action} {timevalue}",
        "parameters": [{"key": "timevalue", "type": "string", "displayName": "Fade Time (sec)", "hidden": false,
                        "defaultValue": "3.0", "width": 125, "fadeable": false}]},
       {"predicate": "action == 'fadeto'", "template": "{prefix}/{action} {dbvalue} {timevalue}",
        "parameters": [{"key": "dbvalue", "type": "scalar", "displayName": "Target Volume (dB)", "hidden": false,
                        "defaultValue": "-6.0", "fadeable": false},
                       {"key": "timevalue", "type": "scalar", "displayName": "Fade Time (sec)", "hidden": false,
                        "defaultValue": "1.0", "fadeable": false}]},
       {"predicate": "action == 'volume'", "template": "{prefix}/volume {dbvalue}",
        "parameters": [{"key": "dbvalue", "type": "scalar", "displayName": "Target Volume (dB)", "hidden": false,
                        "defaultValue": "-6.0", "fadeable": true}]}
     ]},
    {"predicate": "message == 'event'", "template": "{prefix}/{message}/{eventid}/{eventaction}",
     "parameters": [
       {"key": "eventid", "type": "string", "displayName": "Target Event ID", "hidden": false, "defaultValue": "",
        "width": 125, "fadeable": false},
       {"key": "eventaction", "type": "menu", "displayName": "Action", "hidden": true, "defaultValue": "go",
        "values": [{"Go": "go"}], "fadeable": false}]},
    {"predicate": "message == 'sfx'", "template": "{prefix}/{message}/{sfxid}/{sfxaction}",
     "parameters": [
       {"key": "sfxid", "type": "string", "displayName": "Target Sfx ID", "hidden": false, "defaultValue": "",
        "width": 125, "fadeable": false},
       {"key": "sfxaction", "type": "menu", "displayName": "Action", "hidden": false, "defaultValue": "play",
        "values": [{"Play/Fade In": "play"}, {"Stop/Fade Out": "stop"}, {"Fade To": "fadeto"}], "fadeable": false}],
     "conditions": [
       {"predicate": "sfxaction == 'fadeto'", "template": "{prefix}/{message}/{sfxid}/fadeto {dbvalue} {timevalue}",
        "parameters": [{"key": "dbvalue", "type": "scalar", "displayName": "Target Volume (dB)", "hidden": false,
                        "defaultValue": "-6.0", "fadeable": false},
                       {"key": "timevalue", "type": "scalar", "displayName": "Fade Time (sec)", "hidden": false,
                        "defaultValue": "1.0", "fadeable": false}]}
     ]},
    {"predicate": "message == 'general'", "template": "{prefix}/{action}",
     "parameters": [
       {"key": "action", "type": "menu", "displayName": "Action", "hidden": false, "defaultValue": "advance",
        "values": [{"Advance": "advance"}, {"Pause": "pause"}, {"Stop": "stop"}, {"Custom": "customcmd"}],
        "fadeable": false}],
     "conditions": [
       {"predicate": "action == 'pause'", "template": "{prefix}/{action}"},
       {"predicate": "action == 'customcmd'", "template": "{prefix}/{custommsg}",
        "parameters": [{"key": "custommsg", "type": "string", "displayName": "Custom Command", "hidden": false,
                        "defaultValue": "", "width": 125, "fadeable": false}]}
     ]}
  ]
})json";

QByteArray Expected(const QString& firstSong)
{
    return QByteArray(kExpected).replace("@FIRST_SONG@", firstSong.toUtf8());
}

// Member names in order, types (an integer is not a double) and values; the first difference
// is named by its path.
QString Difference(const rapidjson::Value& got, const rapidjson::Value& want, const QString& path)
{
    if (got.GetType() != want.GetType() || got.IsInt() != want.IsInt() || got.IsDouble() != want.IsDouble())
        return path + ": different type";
    if (want.IsObject()) {
        if (got.MemberCount() != want.MemberCount())
            return path + QString(": %1 members, wanted %2").arg(got.MemberCount()).arg(want.MemberCount());
        auto g = got.MemberBegin();
        for (auto w = want.MemberBegin(); w != want.MemberEnd(); ++w, ++g) {
            const QString name = QString::fromUtf8(w->name.GetString());
            if (name != QString::fromUtf8(g->name.GetString()))
                return path + ": member \"" + g->name.GetString() + "\" where \"" + name + "\" belongs";
            const QString d = Difference(g->value, w->value, path + "." + name);
            if (!d.isEmpty())
                return d;
        }
    } else if (want.IsArray()) {
        if (got.Size() != want.Size())
            return path + QString(": %1 elements, wanted %2").arg(got.Size()).arg(want.Size());
        for (rapidjson::SizeType i = 0; i < want.Size(); ++i) {
            const QString d = Difference(got[i], want[i], path + QString("[%1]").arg(i));
            if (!d.isEmpty())
                return d;
        }
    } else if (got != want) {
        return path + ": different value";
    }
    return {};
}

QJsonObject Parsed(const QByteArray& text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("not JSON: %s", qPrintable(error.errorString()));
    return doc.object();
}

// The menus and plain parameters a condition can use: those of the root and of every
// condition above it (and, for a template, its own).
struct Scope
{
    QSet<QString> names;
    QHash<QString, QSet<QString>> menuValues;

    void add(const QJsonArray& parameters)
    {
        for (const QJsonValue& p : parameters) {
            const QJsonObject o = p.toObject();
            const QString key = o["key"].toString();
            names.insert(key);
            menuValues.remove(key);
            if (o["type"].toString() == "menu")
                for (const QJsonValue& choice : o["values"].toArray())
                    menuValues[key].insert(choice.toObject().begin().value().toString());
        }
    }
};

void CheckConditions(const QJsonArray& conditions, const Scope& outer, int* count)
{
    static const QRegularExpression predicateForm(QStringLiteral("^(\\w+) == '([^']*)'$"));
    static const QRegularExpression placeholder(QStringLiteral("\\{([^}]*)\\}"));
    for (const QJsonValue& c : conditions) {
        ++*count;
        const QJsonObject condition = c.toObject();
        const QString predicate = condition["predicate"].toString();
        const QRegularExpressionMatch m = predicateForm.match(predicate);
        QVERIFY2(m.hasMatch(), qPrintable(predicate));
        QVERIFY2(outer.menuValues.contains(m.captured(1)), qPrintable(predicate + ": no such menu in scope"));
        QVERIFY2(outer.menuValues[m.captured(1)].contains(m.captured(2)), qPrintable(predicate + ": not a choice"));

        Scope inner = outer;
        inner.add(condition["parameters"].toArray());
        const QString templ = condition["template"].toString();
        for (auto it = placeholder.globalMatch(templ); it.hasNext();) {
            const QString name = it.next().captured(1);
            QVERIFY2(inner.names.contains(name), qPrintable(templ + ": {" + name + "} is not defined here"));
        }
        CheckConditions(condition["conditions"].toArray(), inner, count);
        if (QTest::currentTestFailed())
            return;
    }
}

// What a QLab operator builds: the root's parameters take their defaults unless chosen, each
// condition whose predicate holds is entered (its parameters likewise), and the deepest
// template reached is filled in. Every condition entered is counted in `reached`.
QString Fill(const QJsonObject& root, const QHash<QString, QString>& chosen, QSet<QString>* reached)
{
    QHash<QString, QString> values;
    auto take = [&](const QJsonArray& parameters) {
        for (const QJsonValue& p : parameters) {
            const QString key = p.toObject()["key"].toString();
            values[key] = chosen.value(key, p.toObject()["defaultValue"].toString());
        }
    };
    take(root["parameters"].toArray());
    QString templ;
    QJsonArray level = root["conditions"].toArray();
    QString where;
    for (bool entered = true; entered;) {
        entered = false;
        for (const QJsonValue& c : level) {
            const QJsonObject condition = c.toObject();
            const QStringList parts = condition["predicate"].toString().split(" == ");
            if (values.value(parts[0]) != parts[1].mid(1, parts[1].size() - 2))
                continue;
            where += "/" + condition["predicate"].toString();
            reached->insert(where);
            take(condition["parameters"].toArray());
            templ = condition["template"].toString();
            level = condition["conditions"].toArray();
            entered = true;
            break;
        }
    }
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        templ.replace("{" + it.key() + "}", it.value());
    return templ;
}

QStringList Dispatched(const QString& command)
{
    const QByteArray datagram = zarn::osc::EncodeOscMessage(command);
    std::size_t used = 0;
    const zarn::osc::OscMessage message = zarn::osc::ParseOscMessage(datagram.constData(), datagram.size(), used);
    QStringList calls;
    zarn::osc::OscCommandDispatcher dispatcher(std::make_unique<RecordingHandler>(&calls));
    dispatcher.Dispatch(message);
    return calls;
}

QString Gain(double decibels)
{
    return RecordingHandler::num(static_cast<float>(std::pow(10.0, decibels / 20.0)));
}

void CollectConditions(const QJsonArray& conditions, const QString& where, QSet<QString>* all)
{
    for (const QJsonValue& c : conditions) {
        const QString here = where + "/" + c.toObject()["predicate"].toString();
        all->insert(here);
        CollectConditions(c.toObject()["conditions"].toArray(), here, all);
    }
}

QStringList Entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestQLabFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void documentIsTheTree();
    void layout();
    void templatesAndPredicatesAreInScope();
    void commandsReachTheEngineCalls();
    void showWithoutSongs();
    void noEngine();
    void exportWrites_data();
    void exportWrites();
    void exportFailures_data();
    void exportFailures();
};

void TestQLabFileWriter::documentIsTheTree()
{
    QLabFileWriter writer(ShowWithSongs());
    const QByteArray text = Render(writer);
    const QByteArray expected = Expected("2");

    // An independent reader sees the same tree (QJsonObject compares types and values).
    QCOMPARE(Parsed(text), Parsed(expected));

    // RapidJSON's reader keeps member order, which the comparison above cannot see.
    rapidjson::Document got;
    rapidjson::Document want;
    got.Parse(text.constData(), text.size());
    want.Parse(expected.constData(), expected.size());
    QVERIFY(!got.HasParseError());
    QVERIFY(!want.HasParseError());
    const QString difference = Difference(got, want, "root");
    QVERIFY2(difference.isEmpty(), qPrintable(difference));

    // Same show, same bytes.
    QCOMPARE(Render(writer), text);
    QCOMPARE(QString::fromStdString(QLabFileWriter::GetFileName()),
             QStringLiteral("qlab_network_patch_definition.qlabnetwork"));
}

void TestQLabFileWriter::layout()
{
    QLabFileWriter writer(ShowWithSongs());
    const QByteArray text = Render(writer);
    QVERIFY(text.startsWith("{\n    \"identifier\": \"com.lanternhillstudios.qlab_network_patch_definition"
                            ".qlabnetwork\",\n    \"displayName\": \"ZARN Software\",\n    \"api\": 1,\n"));
    QVERIFY(text.contains("\n    \"network\": [\n        {\n            \"transport\": \"UDP\",\n"));
    QVERIFY(text.endsWith("\n    ]\n}"));
    QVERIFY(!text.contains('\t'));
    QVERIFY(!text.contains("\": [],") && !text.contains("[]"));
}

void TestQLabFileWriter::templatesAndPredicatesAreInScope()
{
    QLabFileWriter writer(ShowWithSongs());
    const QJsonObject root = Parsed(Render(writer));
    Scope scope;
    scope.add(root["parameters"].toArray());
    int count = 0;
    CheckConditions(root["conditions"].toArray(), scope, &count);
    QCOMPARE(count, 11); // four messages, four song actions, one sound-effect and two general actions
}

void TestQLabFileWriter::commandsReachTheEngineCalls()
{
    struct Case
    {
        QHash<QString, QString> chosen;
        QString command;
        QStringList calls;
    };
    const QList<Case> cases{
        {{}, "/zarn/song/2/play", {"play [] [2]"}},
        {{{"songnumber", "10"}}, "/zarn/song/10/play", {"play [] [10]"}},
        {{{"action", "fadeout"}}, "/zarn/fadeout 3.0", {"fadeout [] [] 3"}},
        {{{"action", "fadeto"}}, "/zarn/fadeto -6.0 1.0", {"fadeto [] [] 1 " + Gain(-6) + " stay"}},
        {{{"action", "volume"}}, "/zarn/volume -6.0", {"volume " + Gain(-6)}},
        {{{"message", "event"}, {"eventid", "E12"}}, "/zarn/event/E12/go", {"eventAdvance [] [] E12"}},
        {{{"message", "sfx"}, {"sfxid", "7"}}, "/zarn/sfx/7/play", {"sfxPlay [] [7]"}},
        {{{"message", "sfx"}, {"sfxid", "7"}, {"sfxaction", "stop"}}, "/zarn/sfx/7/stop", {"sfxStop [] [7]"}},
        {{{"message", "sfx"}, {"sfxid", "7"}, {"sfxaction", "fadeto"}},
         "/zarn/sfx/7/fadeto -6.0 1.0",
         {"sfxFadeTo [] [7] " + RecordingHandler::num(std::pow(10.0, -6.0 / 20.0)) + " 1000"}},
        {{{"message", "general"}}, "/zarn/advance", {"advance [] []"}},
        {{{"message", "general"}, {"action", "pause"}}, "/zarn/pause", {"pause [] []"}},
        {{{"message", "general"}, {"action", "stop"}}, "/zarn/stop", {"stop [] []", "sfxStopAll []"}},
        {{{"message", "general"}, {"action", "customcmd"}, {"custommsg", "show/tour/song/3/fadeout 2"}},
         "/zarn/show/tour/song/3/fadeout 2",
         {"fadeout [tour] [3] 2"}},
    };

    QLabFileWriter writer(ShowWithSongs());
    const QJsonObject root = Parsed(Render(writer));
    QSet<QString> reached;
    for (const Case& c : cases) {
        const QString command = Fill(root, c.chosen, &reached);
        QCOMPARE(command, c.command);
        const QString address = command.section(' ', 0, 0);
        QCOMPARE(Dispatched(command), QStringList{"message " + address} + c.calls);
    }
    // Every condition of the document was used by some command above.
    QSet<QString> all;
    CollectConditions(root["conditions"].toArray(), QString(), &all);
    QCOMPARE(reached, all);
}

void TestQLabFileWriter::showWithoutSongs()
{
    QLabFileWriter writer(std::make_shared<SongEngine>(Interface::SongNameMap{}));
    QCOMPARE(Parsed(Render(writer)), Parsed(Expected(QString())));
}

void TestQLabFileWriter::noEngine()
{
    QLabFileWriter writer(nullptr);
    std::ostringstream out;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, writer.Write(out));
    try {
        std::ostringstream again;
        writer.Write(again);
    } catch (const std::runtime_error& e) {
        QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("QLab File Writer has no data to write."));
    }
    QCOMPARE(QString::fromStdString(out.str()), QStringLiteral("{"));
}

void TestQLabFileWriter::exportWrites_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<int>("form");
    enum { Path, EncodedUrl, DialogUrl };

    const QStringList names{"plain", "with spaces", "hash#1", "100%", "Ünïcødé Sé"};
    for (const QString& name : names) {
        QTest::addRow("%s as a path", qPrintable(name)) << name << int(Path);
        QTest::addRow("%s as an encoded file URL", qPrintable(name)) << name << int(EncodedUrl);
        QTest::addRow("%s as the dialog's URL text", qPrintable(name)) << name << int(DialogUrl);
    }
}

void TestQLabFileWriter::exportWrites()
{
    QFETCH(QString, folderName);
    QFETCH(int, form);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(folderName);
    QVERIFY(QDir().mkpath(folder));
    const QUrl url = QUrl::fromLocalFile(folder);
    const QString given = form == 0 ? folder : form == 1 ? url.toString(QUrl::FullyEncoded) : url.toString();

    // An older patch is replaced.
    const QString target = QDir(folder).filePath("qlab_network_patch_definition.qlabnetwork");
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older patch that is longer than nothing");
    }

    QLabFileWriter writer(ShowWithSongs());
    StreamCapture err(stderr);
    const QLabFileWriter::ExportResult result = writer.ExportToFolder(given);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QCOMPARE(result.filePath, target);
    QCOMPARE(Read(target), Render(writer));
    QCOMPARE(Entries(folder), QStringList{"qlab_network_patch_definition.qlabnetwork"});
    QCOMPARE(err.text(), QString());
}

void TestQLabFileWriter::exportFailures_data()
{
    QTest::addColumn<QString>("given"); // "@" stands for the temporary folder
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<bool>("engine");

    QTest::newRow("folder missing") << "@/gone" << "" << true;
    QTest::newRow("folder missing, as a file URL") << "file://@/gone%20away" << "" << true;
    QTest::newRow("folder is a file") << "@/a file" << "file" << true;
    QTest::newRow("target is a directory") << "@" << "target directory" << true;
    QTest::newRow("not a local URL") << "http://example.invalid/shows" << "" << true;
    QTest::newRow("empty folder text") << "" << "" << true;
    QTest::newRow("no engine, old patch stays") << "@" << "old patch" << false;
}

void TestQLabFileWriter::exportFailures()
{
    QFETCH(QString, given);
    QFETCH(QString, setUp);
    QFETCH(bool, engine);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath("qlab_network_patch_definition.qlabnetwork");
    const QByteArray oldPatch = "{\n    \"identifier\": \"an older patch\"\n}";
    if (setUp == "file") {
        QFile file(dir.filePath("a file"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (setUp == "target directory") {
        QVERIFY(QDir().mkpath(target));
    } else if (setUp == "old patch") {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(oldPatch);
    }
    const QStringList before = Entries(dir.path());

    QLabFileWriter writer(engine ? ShowWithSongs() : nullptr);
    StreamCapture err(stderr);
    const QLabFileWriter::ExportResult result = writer.ExportToFolder(given.replace("@", dir.path()));
    const QString printed = err.text();
    err.restore();

    QVERIFY(!result.ok);
    QVERIFY(!result.reason.isEmpty());
    QCOMPARE(printed, "Error exporting qlab: " + result.reason + "\n");
    QCOMPARE(Entries(dir.path()), before);
    if (setUp == "old patch")
        QCOMPARE(Read(target), oldPatch);
    if (setUp == "target directory")
        QVERIFY(QFileInfo(target).isDir());
    if (!engine)
        QCOMPARE(result.reason, QStringLiteral("QLab File Writer has no data to write."));
}

QTEST_GUILESS_MAIN(TestQLabFileWriter)
#include "tst_qlab_file_writer.moc"
