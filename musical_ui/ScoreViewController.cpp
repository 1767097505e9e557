#include "ScoreViewController.h"

#include "TwoFishCipherStream.h"
#include "zarn_core/ShowStore.h"
#include "zarn_player_core/Interface.h"

#include <archive.h>
#include <archive_entry.h>

#include <QByteArray>
#include <QDebug>
#include <QMetaObject>
#include <QRegularExpression>
#include <QVariant>

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace zarn::qt {

namespace {

constexpr std::size_t kPrefixBytes = 16;
const QString kDataUrlHead = QStringLiteral("data:image/png;base64,");

bool IsPageName(const QString& path)
{
    return !path.isEmpty() && path.endsWith(QStringLiteral(".png")) && !path.startsWith(QLatin1Char('.'));
}

QString EntryPath(archive_entry* entry)
{
    if (const char* path = archive_entry_pathname(entry))
        return QString::fromLocal8Bit(path);
    if (const char* path = archive_entry_pathname_utf8(entry))
        return QString::fromUtf8(path);
    return {};
}

QString ArchiveText(struct archive* handle)
{
    const char* text = archive_error_string(handle);
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("no reason given");
}

} // namespace

ScoreViewController::ScoreViewController(QObject* scoreItem, std::shared_ptr<Interface> engine,
                                         std::shared_ptr<cmn::ShowStore> keySource, QQmlEngine* qmlEngine)
    : QmlController(scoreItem, qmlEngine)
    , engine(std::move(engine))
    , keySource(std::move(keySource))
{
    if (qmlObject_)
        connect(qmlObject_, SIGNAL(pageChanged(int)), this, SLOT(currentPageChanged_(int)));
}

ScoreViewController::~ScoreViewController()
{
    ReleaseArchive();
}

void ScoreViewController::LoadScorePages()
{
    pages.clear();
    imageList.clear();
    std::filesystem::path scoreFile;
    try {
        if (!OpenScoreFile(scoreFile)) {
            qDebug() << "No .score file found.";
        } else {
            if (OpenScoreArchive())
                ReadPages();
            SortPages();
        }
    } catch (const std::exception& e) {
        pages.clear();
        imageList.clear();
        emit error("The score " + scoreFile.string() + " cannot be shown: " + e.what()
                       + "\n\nThe show plays without its score.",
                   kErrorTitle);
    }
    // Nothing reads the file again: only the pages' URLs stay.
    ReleaseArchive();
    HandPagesToView();
}

void ScoreViewController::SetCurrentPage(int pageNumber)
{
    if (qmlObject_)
        qmlObject_->setProperty("currentIndex", pageNumber - 1);
}

void ScoreViewController::currentPageChanged_(int newIndex)
{
    if (!engine)
        return;
    try {
        // Looked up first: a page the engine does not know must not leave the music paused.
        const auto [song, tick] = engine->LookupPage(static_cast<unsigned>(newIndex));
        const bool wasPlaying = engine->GetIsPlaying();
        if (wasPlaying)
            engine->Pause(false);
        try {
            if (engine->GetCurrentSongNumber() == song)
                engine->Seek(tick);
            else
                engine->LoadSongAtTime(song, tick);
        } catch (const std::exception&) {
            if (wasPlaying)
                engine->Play();
            return;
        }
        if (wasPlaying)
            engine->Play();
    } catch (const std::exception&) {
        // A page the engine cannot serve changes nothing; the view stays where it is.
    }
}

int ScoreViewController::PageNumberFromName(const QString& name)
{
    static const QRegularExpression digitsBeforeExtension(QStringLiteral("(\\d+)(?=\\.\\w+$)"));
    const QRegularExpressionMatch match = digitsBeforeExtension.match(name);
    if (!match.hasMatch())
        return 0;
    bool fits = false;
    const int number = match.captured(1).toInt(&fits, 10);
    return fits ? number : 0;
}

std::filesystem::path ScoreViewController::FindScoreFile(const std::filesystem::path& showFolder)
{
    std::error_code ec;
    std::filesystem::directory_iterator it(showFolder, ec);
    std::vector<std::filesystem::path> found;
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name.front() == '.' || name.size() <= 6)
            continue;
        if (QString::fromStdString(name).endsWith(QStringLiteral(".score"), Qt::CaseInsensitive)
            && it->is_regular_file(ec))
            found.push_back(it->path());
    }
    if (found.empty())
        return {};
    return *std::min_element(found.begin(), found.end(),
                             [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
}

bool ScoreViewController::OpenScoreFile(std::filesystem::path& scoreFile)
{
    if (!keySource)
        return false;
    scoreFile = FindScoreFile(keySource->CurrentShowFolder());
    if (scoreFile.empty())
        return false;
    // The whole file is read and deciphered in memory: refuse one that could exhaust it.
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(scoreFile, ec);
    if (!ec && size > kMaxScoreFileBytes)
        throw std::runtime_error("the file is larger than 1 GiB (" + std::to_string(size) + " bytes)");
    const std::vector<std::uint8_t> key = keySource->GetScoreKey();
    const std::vector<std::uint8_t> iv = keySource->GetScoreIv();
    cipherStream = std::make_unique<zarn_sec::TwoFishCipherStream>(scoreFile.string(), key, iv);
    return true;
}

bool ScoreViewController::OpenScoreArchive()
{
    std::stringstream& stream = cipherStream->GetStream();
    stream.seekg(0, std::ios::end);
    const std::streamoff size = std::max<std::streamoff>(0, stream.tellg());
    const std::streamoff skip = std::min<std::streamoff>(size, kPrefixBytes);
    stream.seekg(skip);
    archiveBytes.resize(static_cast<std::size_t>(size - skip));
    stream.read(archiveBytes.data(), static_cast<std::streamsize>(archiveBytes.size()));
    // The copy is all the archive needs: the deciphered text need not wait for the pages.
    cipherStream.reset();

    archive = archive_read_new();
    if (archive_read_support_format_tar(archive) != ARCHIVE_OK)
        qWarning() << "Failed to add TAR Support.";
    else if (archive_read_support_filter_all(archive) != ARCHIVE_OK)
        qWarning() << "Failed to add ALL Support.";
    else if (archive_read_open_memory(archive, archiveBytes.data(), archiveBytes.size()) != ARCHIVE_OK)
        qWarning().noquote() << "Failed to open in-memory archive:" << ArchiveText(archive);
    else
        return true;
    ReleaseArchive();
    return false;
}

void ScoreViewController::ReadPages()
{
    std::int64_t allPages = 0;
    archive_entry* entry = nullptr;
    while (archive_read_next_header(archive, &entry) == ARCHIVE_OK) {
        const QString path = EntryPath(entry);
        if (!IsPageName(path) || archive_entry_filetype(entry) != AE_IFREG)
            continue;
        const std::int64_t declared = archive_entry_size_is_set(entry) ? archive_entry_size(entry) : 0;
        if (declared > kMaxPageBytes || allPages + declared > kMaxAllPagesBytes) {
            qWarning().noquote() << "Score page" << path << "is left out: it is too large (" << declared
                                 << "bytes).";
            continue;
        }
        QByteArray bytes;
        bytes.reserve(static_cast<qsizetype>(declared));
        bool readFailed = false;
        bool tooLarge = false;
        for (;;) {
            const void* block = nullptr;
            std::size_t length = 0;
            la_int64_t offset = 0;
            const int result = archive_read_data_block(archive, &block, &length, &offset);
            if (result == ARCHIVE_EOF)
                break;
            if (result != ARCHIVE_OK) {
                readFailed = true;
                break;
            }
            // A size the header does not declare is checked as the data comes.
            const std::int64_t grown = bytes.size() + static_cast<std::int64_t>(length);
            if (grown > kMaxPageBytes || allPages + grown > kMaxAllPagesBytes) {
                tooLarge = true;
                break;
            }
            bytes.append(static_cast<const char*>(block), static_cast<qsizetype>(length));
        }
        if (readFailed) {
            qWarning().noquote() << "Score page" << path << "is left out: it cannot be read:" << ArchiveText(archive);
            continue;
        }
        if (tooLarge) {
            qWarning().noquote() << "Score page" << path << "is left out: it is too large.";
            continue;
        }
        allPages += bytes.size();
        pages.push_back(ScorePage{PageNumberFromName(path), kDataUrlHead + QString::fromLatin1(bytes.toBase64())});
    }
}

void ScoreViewController::SortPages()
{
    std::stable_sort(pages.begin(), pages.end(),
                     [](const ScorePage& a, const ScorePage& b) { return a.pageNumber < b.pageNumber; });
    imageList.reserve(static_cast<qsizetype>(pages.size()));
    for (const ScorePage& page : pages)
        imageList.append(page.dataUrl);
}

void ScoreViewController::ReleaseArchive()
{
    if (archive) {
        archive_read_free(archive);
        archive = nullptr;
    }
    std::vector<char>().swap(archiveBytes);
    cipherStream.reset();
}

void ScoreViewController::HandPagesToView()
{
    if (!qmlObject_)
        return;
    qmlObject_->setProperty("imageListModel", QVariant::fromValue(imageList));
    QMetaObject::invokeMethod(qmlObject_, "updateImages", Qt::QueuedConnection);
}

} // namespace zarn::qt
