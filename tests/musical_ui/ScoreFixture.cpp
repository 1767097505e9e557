#include "ScoreFixture.h"

#include "ScorePacker.h"
#include "TwoFishCipher.h"
#include "zarn_core/ShowCredential.h"
#include "zarn_core/ShowRecord.h"
#include "zarn_core/ShowStore.h"

#include <archive.h>
#include <archive_entry.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>

#include <stdexcept>

namespace {

const std::string kShowFolder = "show";

la_ssize_t AppendBytes(archive*, void* out, const void* buffer, size_t length)
{
    auto* bytes = static_cast<std::vector<std::uint8_t>*>(out);
    bytes->insert(bytes->end(), static_cast<const std::uint8_t*>(buffer),
                  static_cast<const std::uint8_t*>(buffer) + length);
    return static_cast<la_ssize_t>(length);
}

std::vector<std::uint8_t> ArchiveByHand(const std::vector<ScoreShowFolder::Entry>& entries, bool gzip)
{
    std::vector<std::uint8_t> out;
    archive* handle = archive_write_new();
    archive_write_set_format_pax_restricted(handle);
    if (gzip)
        archive_write_add_filter_gzip(handle);
    if (archive_write_open(handle, &out, nullptr, AppendBytes, nullptr) != ARCHIVE_OK)
        throw std::runtime_error("cannot start the test archive");
    for (const auto& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        if (e.kind == ScoreShowFolder::Entry::Directory) {
            archive_entry_set_filetype(entry, AE_IFDIR);
            archive_entry_set_perm(entry, 0755);
            archive_entry_set_size(entry, 0);
        } else if (e.kind == ScoreShowFolder::Entry::Link) {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_perm(entry, 0777);
            archive_entry_set_symlink(entry, "page1.png");
            archive_entry_set_size(entry, 0);
        } else {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_size(entry, static_cast<la_int64_t>(e.bytes.size()));
        }
        if (archive_write_header(handle, entry) != ARCHIVE_OK)
            throw std::runtime_error("cannot add " + e.name + " to the test archive");
        if (e.kind == ScoreShowFolder::Entry::File && !e.bytes.empty())
            archive_write_data(handle, e.bytes.data(), e.bytes.size());
        archive_entry_free(entry);
    }
    archive_write_close(handle);
    archive_write_free(handle);
    return out;
}

} // namespace

ScoreShowFolder::ScoreShowFolder()
    : key(zarn_sec::RandomBytes(32))
    , iv(zarn_sec::RandomBytes(16))
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    cmn::ShowRecord record;
    record.id = "lanterns";
    record.folder = kShowFolder;
    record.showName = "Lanterns";
    record.customerName = "Hall Theatre";
    std::filesystem::create_directories(Folder());
    cmn::ShowStore::Write(dir_.path().toStdString(), record.id, {record});
    cmn::ShowCredential credential;
    credential.showId = record.id;
    credential.scoreKey = key;
    credential.scoreIv = iv;
    credential.WriteToFolder(Folder());
}

ScoreShowFolder::~ScoreShowFolder() = default;

std::shared_ptr<cmn::ShowStore> ScoreShowFolder::Store() const
{
    return std::make_shared<cmn::ShowStore>(dir_.path().toStdString());
}

std::filesystem::path ScoreShowFolder::Folder() const
{
    return std::filesystem::path(dir_.path().toStdString()) / kShowFolder;
}

std::vector<std::uint8_t> ScoreShowFolder::Archive(const std::vector<Entry>& entries, bool gzip)
{
    std::vector<zarn::tools::ScorePage> files;
    for (const auto& e : entries) {
        if (e.kind != Entry::File)
            return ArchiveByHand(entries, gzip);
        files.push_back({e.name, e.bytes});
    }
    return zarn::tools::ScorePacker::MakeArchive(files, gzip);
}

std::filesystem::path ScoreShowFolder::WriteScore(const std::string& name, const std::vector<std::uint8_t>& archive) const
{
    return WriteScoreWithKey(name, archive, key);
}

std::filesystem::path ScoreShowFolder::WriteScoreWithKey(const std::string& name,
                                                         const std::vector<std::uint8_t>& archive,
                                                         const std::vector<std::uint8_t>& withKey) const
{
    std::vector<std::uint8_t> plain = zarn_sec::RandomBytes(zarn::tools::ScorePacker::kPrefixBytes);
    plain.insert(plain.end(), archive.begin(), archive.end());
    const auto path = Folder() / name;
    zarn_sec::EncipherToFile(path.string(), withKey, iv, plain);
    return path;
}

std::filesystem::path ScoreShowFolder::WriteEnciphered(const std::string& name, const std::vector<std::uint8_t>& plain) const
{
    const auto path = Folder() / name;
    zarn_sec::EncipherToFile(path.string(), key, iv, plain);
    return path;
}

void ScoreShowFolder::ForgetScoreKey() const
{
    cmn::ShowCredential credential = cmn::ShowCredential::ReadFromFolder(Folder());
    credential.scoreKey.clear();
    credential.scoreIv.clear();
    credential.WriteToFolder(Folder());
}

std::vector<std::uint8_t> TinyPng(int shade, int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    image.fill(QColor(shade, shade, shade));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw std::runtime_error("cannot make a PNG");
    return {bytes.begin(), bytes.end()};
}

QString PngDataUrl(const std::vector<std::uint8_t>& bytes)
{
    const QByteArray raw(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(raw.toBase64());
}
