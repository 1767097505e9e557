#include "PackagerController.h"

#include "HexText.h"
#include "ShowRootPacker.h"
#include "TwoFishCipher.h"
#include "zarn_core/AtomicFile.h"
#include "zarn_core/ShowCredential.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <QRegularExpression>

#include <exception>
#include <filesystem>
#include <stdexcept>
#include <vector>

#ifndef CORVANE_PACKAGER_VERSION
#define CORVANE_PACKAGER_VERSION "0.0.0"
#endif

namespace zarn::tools {
namespace {

namespace fs = std::filesystem;

fs::path PathOf(const QString& text)
{
    return fs::path(text.toStdString());
}

QString Error(const QString& reason)
{
    return QStringLiteral("Error: ") + reason;
}

// Matched as the packers match them, case and all: a "PAGE7.PNG" is no page to them, and an
// "X.LOGDATA" no change log, so counting or naming them here would promise what is not packed.
QStringList EntriesWithSuffixes(const QString& folder, const QStringList& patterns)
{
    QDir dir(folder);
    QStringList names = dir.entryList(patterns, QDir::Files | QDir::Readable | QDir::CaseSensitive, QDir::Name);
    names.removeIf([](const QString& name) { return name.startsWith(QLatin1Char('.')); });
    return names;
}

// Every regular file under the folder, counted with its size.
void Measure(const QString& folder, qint64& files, qint64& bytes)
{
    files = 0;
    bytes = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++files;
        bytes += it.fileInfo().size();
    }
}

std::string NewAuthHash()
{
    return zarn_sec::ToHex(zarn_sec::RandomBytes(32));
}

} // namespace

QString PackagerController::ShowIdOf(const QString& showName)
{
    // Accented letters keep their base letter ("Ñandú" is "nandu"); letters of other scripts
    // have none in a-z and drop out.
    QString id = showName.normalized(QString::NormalizationForm_KD).toLower();
    id.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    static const QRegularExpression others(QStringLiteral("[^a-z0-9]+"));
    id.replace(others, QStringLiteral("-"));
    while (id.startsWith(QLatin1Char('-')))
        id.remove(0, 1);
    while (id.endsWith(QLatin1Char('-')))
        id.chop(1);
    return id;
}

QString PackShow(const ShowPackageRequest& request)
{
    const QString showId = PackagerController::ShowIdOf(request.name);
    if (showId.isEmpty())
        return Error(QStringLiteral("the show name \"%1\" has no letter a-z or digit 0-9 to make a show id of.").arg(request.name));
    if (request.sourceDirectory.isEmpty())
        return Error(QStringLiteral("no source directory was given."));
    const QFileInfo source(request.sourceDirectory);
    if (!source.isDir())
        return Error(QStringLiteral("the source directory %1 does not exist.").arg(request.sourceDirectory));
    if (QDir(request.sourceDirectory).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot))
        return Error(QStringLiteral("the source directory %1 is empty.").arg(request.sourceDirectory));
    if (request.destinationDirectory.isEmpty())
        return Error(QStringLiteral("no destination directory was given."));
    if (!request.imageDirectory.isEmpty() && !QFileInfo(request.imageDirectory).isDir())
        return Error(QStringLiteral("the image directory %1 does not exist.").arg(request.imageDirectory));
    if (!request.soundEffectsDirectory.isEmpty() && !QFileInfo(request.soundEffectsDirectory).isDir())
        return Error(QStringLiteral("the sound effects directory %1 does not exist.").arg(request.soundEffectsDirectory));

    const QString root = QDir(request.destinationDirectory).absoluteFilePath(showId);
    if (QFileInfo::exists(root))
        return Error(QStringLiteral("%1 exists already. The packager never replaces a server root, whose shared change "
                                    "logs may live only there: move it away or choose another destination.")
                         .arg(root));

    QStringList warnings;
    ShowRootOptions options;
    options.showFolder = PathOf(request.sourceDirectory);
    options.outputRoot = PathOf(root);
    options.showId = showId.toStdString();
    options.showName = request.name.toStdString();
    int pages = 0;
    if (request.imageDirectory.isEmpty()) {
        warnings << QStringLiteral("Warning: no image directory was given, so the show has no score.");
    } else {
        options.pagesFolder = PathOf(request.imageDirectory);
        pages = EntriesWithSuffixes(request.imageDirectory, {QStringLiteral("*.png")}).size();
    }
    if (!request.soundEffectsDirectory.isEmpty())
        options.sfxFolder = PathOf(request.soundEffectsDirectory);
    const QStringList logs = EntriesWithSuffixes(request.sourceDirectory, {QStringLiteral("*.logdata")});
    if (logs.isEmpty())
        warnings << QStringLiteral("Warning: the source directory holds no change log.");
    if (request.advancedFeatures) {
        for (const QString& log : logs)
            options.encipheredLogs.push_back(log.toStdString());
    }

    try {
        const auto credential = cmn::ShowCredential::TryReadFromFolder(options.showFolder);
        options.authHash = credential && !credential->authHash.empty() ? credential->authHash : NewAuthHash();
        if (!QDir().mkpath(request.destinationDirectory))
            return Error(QStringLiteral("the destination directory %1 cannot be made.").arg(request.destinationDirectory));
        ShowRootPacker::Pack(options);
    } catch (const std::exception& error) {
        return Error(QString::fromStdString(error.what()));
    }

    qint64 files = 0;
    qint64 bytes = 0;
    Measure(root, files, bytes);
    QStringList lines;
    lines << QStringLiteral("Packed %1 into %2: %3 files, %4 MB, score of %5 pages.")
                 .arg(request.name, root)
                 .arg(files)
                 .arg(QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1))
                 .arg(pages);
    lines << warnings;
    return lines.join(QLatin1Char('\n'));
}

QString PackSoundEffects(const QString& sourceDirectory, const QString& destinationDirectory)
{
    if (sourceDirectory.isEmpty() || !QFileInfo(sourceDirectory).isDir())
        return Error(QStringLiteral("the SFX source directory \"%1\" does not exist.").arg(sourceDirectory));
    if (destinationDirectory.isEmpty())
        return Error(QStringLiteral("no SFX destination directory was given."));
    // Any case of the suffix counts, so the names are filtered here rather than by pattern.
    QStringList audio;
    QDir source(sourceDirectory);
    for (const QString& name : source.entryList(QDir::Files | QDir::Readable, QDir::Name)) {
        const QString suffix = QFileInfo(name).suffix().toLower();
        if (!name.startsWith(QLatin1Char('.')) && (suffix == QLatin1String("wav") || suffix == QLatin1String("ogg")))
            audio << name;
    }
    if (audio.isEmpty())
        return Error(QStringLiteral("%1 holds no .wav or .ogg file.").arg(sourceDirectory));

    QStringList ids;
    for (const QString& name : std::as_const(audio)) {
        const QString id = QFileInfo(name).completeBaseName();
        if (ids.contains(id))
            return Error(QStringLiteral("two files in %1 share the id %2.").arg(sourceDirectory, id));
        ids << id;
    }
    QDir destination(destinationDirectory);
    const QString manifest = destination.filePath(QStringLiteral("sfx.json"));
    QStringList taken;
    if (QFileInfo::exists(manifest))
        taken << QStringLiteral("sfx.json");
    for (const QString& name : std::as_const(audio)) {
        if (QFileInfo::exists(destination.filePath(name)))
            taken << name;
    }
    if (!taken.isEmpty())
        return Error(QStringLiteral("%1 exists already in %2; nothing was copied.")
                         .arg(taken.join(QStringLiteral(", ")), destinationDirectory));
    if (!QDir().mkpath(destinationDirectory))
        return Error(QStringLiteral("the SFX destination directory %1 cannot be made.").arg(destinationDirectory));

    // Copied under hidden names first; only when every copy and the manifest are whole do the
    // files take their names.
    QStringList partials;
    QStringList placed;
    auto rollBack = [&]() {
        for (const QString& path : std::as_const(partials))
            QFile::remove(path);
        for (const QString& path : std::as_const(placed))
            QFile::remove(path);
    };
    QJsonArray effects;
    qint64 total = 0;
    for (const QString& name : std::as_const(audio)) {
        QFile in(source.filePath(name));
        const QString partial = destination.filePath(QStringLiteral(".") + name + QStringLiteral(".partial"));
        QFile out(partial);
        if (!in.open(QIODevice::ReadOnly)) {
            rollBack();
            return Error(QStringLiteral("cannot read %1: %2").arg(in.fileName(), in.errorString()));
        }
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            rollBack();
            return Error(QStringLiteral("cannot write %1: %2").arg(partial, out.errorString()));
        }
        partials << partial;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        qint64 size = 0;
        while (!in.atEnd()) {
            const QByteArray block = in.read(1 << 20);
            if (block.isEmpty() && in.error() != QFile::NoError)
                break;
            hash.addData(block);
            size += block.size();
            if (out.write(block) != block.size()) {
                rollBack();
                return Error(QStringLiteral("cannot write %1: %2").arg(partial, out.errorString()));
            }
        }
        if (in.error() != QFile::NoError || !out.flush()) {
            rollBack();
            return Error(QStringLiteral("copying %1 failed.").arg(name));
        }
        out.close();
        total += size;
        QJsonObject entry;
        entry.insert(QStringLiteral("sfxid"), QFileInfo(name).completeBaseName());
        entry.insert(QStringLiteral("displayname"), QFileInfo(name).completeBaseName());
        entry.insert(QStringLiteral("file"), name);
        entry.insert(QStringLiteral("size"), size);
        entry.insert(QStringLiteral("sha256"), QString::fromLatin1(hash.result().toHex()));
        effects.append(entry);
    }
    for (int i = 0; i < audio.size(); ++i) {
        const QString target = destination.filePath(audio[i]);
        if (QFileInfo::exists(target) || !QFile::rename(partials[i], target)) {
            rollBack();
            return Error(QStringLiteral("cannot place %1 in %2; nothing was copied.").arg(audio[i], destinationDirectory));
        }
        placed << target;
    }
    partials.clear();
    QJsonObject document;
    document.insert(QStringLiteral("version"), 1);
    document.insert(QStringLiteral("effects"), effects);
    try {
        if (QFileInfo::exists(manifest))
            throw std::runtime_error("sfx.json appeared in the destination meanwhile");
        zarn::AtomicFile::Write(PathOf(manifest), QJsonDocument(document).toJson().toStdString());
    } catch (const std::exception& error) {
        rollBack();
        return Error(QStringLiteral("cannot write %1: %2").arg(manifest, QString::fromStdString(error.what())));
    }
    return QStringLiteral("Packed %1 sound effects into %2: %3 MB.")
        .arg(audio.size())
        .arg(destinationDirectory)
        .arg(QString::number(double(total) / (1024.0 * 1024.0), 'f', 1));
}

PackagerController::PackagerController(QObject* parent)
    : QObject(parent)
{
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &PackagerController::RefreshFiles);
}

PackagerController::~PackagerController()
{
    if (worker_.joinable())
        worker_.join();
}

#define CORVANE_SETTER(setter, member, signal)                                                                        \
    void PackagerController::setter(const decltype(member)& value)                                                    \
    {                                                                                                                 \
        if (member == value)                                                                                          \
            return;                                                                                                   \
        member = value;                                                                                               \
        emit signal();                                                                                                \
    }

CORVANE_SETTER(setName, name_, nameChanged)
CORVANE_SETTER(setDestinationDirectory, destinationDirectory_, destinationDirectoryChanged)
CORVANE_SETTER(setImageDirectory, imageDirectory_, imageDirectoryChanged)
CORVANE_SETTER(setSoundEffectsDirectory, soundEffectsDirectory_, soundEffectsDirectoryChanged)
CORVANE_SETTER(setSfxSourceDirectory, sfxSourceDirectory_, sfxSourceDirectoryChanged)
CORVANE_SETTER(setSfxDestinationDirectory, sfxDestinationDirectory_, sfxDestinationDirectoryChanged)
CORVANE_SETTER(setMessageBody, messageBody_, messageBodyChanged)
#undef CORVANE_SETTER

void PackagerController::setSourceDirectory(const QString& value)
{
    if (sourceDirectory_ == value)
        return;
    sourceDirectory_ = value;
    emit sourceDirectoryChanged();
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    if (!value.isEmpty() && QFileInfo(value).isDir())
        watcher_.addPath(value);
    RefreshFiles();
}

void PackagerController::setAdvancedFeatures(bool value)
{
    if (advancedFeatures_ == value)
        return;
    advancedFeatures_ = value;
    emit advancedFeaturesChanged();
}

void PackagerController::setMessage(bool value)
{
    if (message_ == value)
        return;
    message_ = value;
    emit messageChanged();
}

QString PackagerController::versionString() const
{
    return QStringLiteral(CORVANE_PACKAGER_VERSION);
}

void PackagerController::RefreshFiles()
{
    QStringList found;
    if (!sourceDirectory_.isEmpty()) {
        for (const QString& name : QDir(sourceDirectory_).entryList(QDir::Files, QDir::Name)) {
            const QString suffix = QFileInfo(name).suffix().toLower();
            if (suffix == QLatin1String("mid") || suffix == QLatin1String("midi"))
                found << name;
        }
    }
    if (found == files_)
        return;
    files_ = found;
    emit filesChanged();
}

void PackagerController::package()
{
    ShowPackageRequest request;
    request.name = name_;
    request.sourceDirectory = sourceDirectory_;
    request.destinationDirectory = destinationDirectory_;
    request.imageDirectory = imageDirectory_;
    request.soundEffectsDirectory = soundEffectsDirectory_;
    request.advancedFeatures = advancedFeatures_;
    Start([request]() { return PackShow(request); });
}

void PackagerController::packageSfx()
{
    const QString source = sfxSourceDirectory_;
    const QString destination = sfxDestinationDirectory_;
    Start([source, destination]() { return PackSoundEffects(source, destination); });
}

void PackagerController::Start(std::function<QString()> job)
{
    if (busy_) {
        Finish(Error(QStringLiteral("a packaging job is still running; wait for it to finish.")));
        return;
    }
    if (worker_.joinable())
        worker_.join();
    busy_ = true;
    emit busyChanged();
    worker_ = std::thread([this, job = std::move(job)]() {
        QString body;
        try {
            body = job();
        } catch (const std::exception& error) {
            body = Error(QString::fromStdString(error.what()));
        }
        QMetaObject::invokeMethod(this, [this, body]() {
            busy_ = false;
            emit busyChanged();
            Finish(body);
        }, Qt::QueuedConnection);
    });
}

void PackagerController::Finish(const QString& body)
{
    // A result still on show is replaced: the popup shows the newest.
    setMessage(false);
    setMessageBody(body);
    setMessage(true);
}

} // namespace zarn::tools
