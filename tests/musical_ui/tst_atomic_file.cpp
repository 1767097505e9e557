// Every place that replaces a file, made to fail by a file-size limit: the old file must stay
// as it was, no temporary file may stay beside it, and the call must say it failed. A small
// limit is the case that matters: buffered writers only meet it when they flush or close.

#include "zarn_core/AtomicFile.h"

#include "AppSettings.h"
#include "DownloadPlan.h"
#include "ErrorLogWriter.h"
#include "NetworkApiInterface.h"
#include "OscSettings.h"
#include "PerformShowDownload.h"
#include "ServerRootFixture.h"
#include "UploadChangelog.h"
#include "WavFile.h"
#include "ZARNDownloader.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <stdexcept>
#include <string>

#include <sys/resource.h>

namespace {

enum class Site {
    Write,
    Stream,
    OscSettings,
    ChangeLogDownload,
    ShowDownload,
    StoredUpload,
    WavFile,
    ErrorLog,
    GeneralSettings,
};

constexpr rlim_t kLimitBytes = 16;

// The limit is process-wide: it holds only while the call under test runs.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        set_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool IsSet() const { return set_; }

private:
    rlimit saved_{};
    bool set_ = false;
};

// Every file under the folder with its size and content hash, so a temporary file left
// behind, a new file or a changed one all show.
QStringList Listing(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        const QByteArray hash = it.fileInfo().isFile() && file.open(QIODevice::ReadOnly)
            ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex().left(16)
            : QByteArray("folder");
        entries << QDir(folder).relativeFilePath(path) + QLatin1Char(' ') + QString::fromLatin1(hash);
    }
    entries.sort();
    return entries;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void CopyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString copy = QDir(to).filePath(QDir(from).relativeFilePath(path));
        QDir().mkpath(QFileInfo(copy).absolutePath());
        QFile::copy(path, copy);
    }
}

} // namespace

Q_DECLARE_METATYPE(Site)

class TestAtomicFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Past the limit the kernel sends SIGXFSZ, which would end the test; ignored, the
        // write fails with EFBIG as it would on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
    }

    void streamingWriteReplacesInOnePiece()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath("settings.json");
        ServerRootFixture::WriteFile(target, "old");
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        {
            zarn::AtomicFile file(target.toStdString());
            file.Append("new ");
            file.Append(std::string(100000, 'x'));
            QCOMPARE(ReadAll(target), QByteArray("old")); // nothing shows before the commit
            file.Commit();
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, file.Append("more"));
        }
        QCOMPARE(ReadAll(target), "new " + QByteArray(100000, 'x'));
        // The old file's permissions, not the default ones for a new file.
        QCOMPARE(QFile::permissions(target) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.json"});

        // Not committed: the old file stays and the temporary one goes.
        {
            zarn::AtomicFile file(target.toStdString());
            file.Append("abandoned");
        }
        QCOMPARE(ReadAll(target), "new " + QByteArray(100000, 'x'));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.json"});

        // A link keeps pointing at its file, which gets the content.
        const QString link = dir.filePath("link.json");
        QVERIFY(QFile::link(target, link));
        zarn::AtomicFile::Write(link.toStdString(), "through the link");
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadAll(target), QByteArray("through the link"));
    }

    void refusedTargets_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "no/such/folder/file.json" << "No such file or directory";
        QTest::newRow("a folder in the way") << "folder" << "directory";
    }
    void refusedTargets()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("folder"));
        const QStringList before = Listing(dir.path());
        const std::string path = dir.filePath(target).toStdString();
        try {
            zarn::AtomicFile::Write(path, "content");
            QFAIL("the write was taken for a success");
        } catch (const zarn::AtomicFileError& error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(QString::fromStdString(path)), error.what());
            QVERIFY2(QString::fromStdString(error.Reason()).contains(reason, Qt::CaseInsensitive), error.what());
        }
        QCOMPARE(Listing(dir.path()), before);
    }

    void failedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<Site>("site");
        QTest::newRow("AtomicFile::Write") << Site::Write;
        QTest::newRow("AtomicFile streaming") << Site::Stream;
        QTest::newRow("OSC settings") << Site::OscSettings;
        QTest::newRow("change-log download") << Site::ChangeLogDownload;
        QTest::newRow("show download") << Site::ShowDownload;
        QTest::newRow("server's stored upload") << Site::StoredUpload;
        QTest::newRow("WAV file") << Site::WavFile;
        QTest::newRow("error log") << Site::ErrorLog;
        QTest::newRow("general settings") << Site::GeneralSettings;
    }
    void failedWriteKeepsTheOldFile()
    {
        QFETCH(Site, site);
        ServerRootFixture root;
        QVERIFY(root.IsValid());
        QTemporaryDir dir;
        QString folder = dir.path();
        QString target = dir.filePath("target");
        const QByteArray old = "the old content, longer than the limit\n";

        // Each site: its files prepared without the limit, then the call, which returns the
        // failure it reported in its own way (empty when it claimed success).
        std::function<std::string()> call;
        switch (site) {
        case Site::Write:
            call = [&] {
                zarn::AtomicFile::Write(target.toStdString(), "the new content, longer than the limit");
                return std::string();
            };
            break;
        case Site::Stream:
            call = [&] {
                zarn::AtomicFile file(target.toStdString());
                for (int chunk = 0; chunk < 64; ++chunk)
                    file.Append(std::string(1024, 'n'));
                file.Commit();
                return std::string();
            };
            break;
        case Site::OscSettings:
            call = [&] {
                std::string error;
                return zarn::osc::WriteOscSettings(zarn::osc::OscSettings(false, 9000), target.toStdString(), &error)
                    ? std::string()
                    : error;
            };
            break;
        case Site::ChangeLogDownload: {
            zarn::networking::NetworkApiInterface api(root.FileBase().toStdString());
            api.SetCredential(ServerRootFixture::kAuth, 0);
            const auto link = api.GetChangelogLinkByVersion(1, 0);
            QVERIFY(link.data);
            call = [&, link = link.data->link, extra = link.data->extra] {
                zarn::networking::ZARNDownloader().Download(link, target.toStdString(), extra, {}, {});
                return std::string();
            };
            break;
        }
        case Site::ShowDownload: {
            // A complete show but for one file whose content differs: the plan fetches it alone.
            CopyFolder(root.ShowFile(QString()), folder);
            ServerRootFixture::WriteFile(QDir(folder).filePath("demo-1.0.logdata"), root.PlainLog(1, 0));
            target = QDir(folder).filePath("AlbumArtwork.jpg");
            zarn::networking::NetworkApiInterface api(root.FileBase().toStdString());
            api.SetCredential(ServerRootFixture::kAuth, 1);
            const auto files = api.GetAllShowFiles();
            QVERIFY(files.data);
            ServerRootFixture::WriteFile(target, old);
            auto plan = zarn::networking::ValidateDownloadPlan(zarn::networking::GetDownloadPlan(*files.data),
                                                                folder.toStdString());
            QCOMPARE(plan->size(), std::size_t(1));
            call = [plan = std::shared_ptr(std::move(plan))] {
                zarn_download::PerformShowDownload(ServerRootFixture::kAuth, nullptr, nullptr, "", 1, plan.get());
                return std::string();
            };
            break;
        }
        case Site::StoredUpload: {
            // The server keeps every version once, so there is no old file: none may appear.
            folder = root.LogFolder();
            target = QDir(folder).filePath("demo-3.0.logdata");
            const QString show = dir.filePath("show");
            ServerRootFixture::WriteFile(QDir(show).filePath("demo-3.0.logdata"), root.PlainLog(3, 0));
            call = [&, show] {
                std::string error;
                return zarn::networking::UploadChangelogTo(root.FileBase().toStdString(), ServerRootFixture::kAccount,
                                                           "demo-3.0.logdata", 3, 0, ServerRootFixture::kAuth,
                                                           show.toStdString(), 1, &error)
                    ? std::string()
                    : error;
            };
            break;
        }
        case Site::WavFile:
            call = [&] {
                zarn::audio::WavFile::Save(target.toStdString(), 8000, 1, std::vector<int16_t>(100, 7));
                return std::string();
            };
            break;
        case Site::ErrorLog:
            call = [&] {
                ErrorLogWriter::WriteFile(target.toStdString(), std::runtime_error("the show stopped"), "Corvane",
                                          "1.0");
                return std::string();
            };
            break;
        case Site::GeneralSettings:
            call = [&] {
                zarn::AppSettings settings(std::make_unique<QSettings>(target, QSettings::IniFormat));
                settings.SetDefaultOutputDeviceString(QString(256, QLatin1Char('d')));
                return settings.Save() ? std::string() : std::string("not saved");
            };
            break;
        }
        if (site != Site::StoredUpload && site != Site::ShowDownload)
            ServerRootFixture::WriteFile(target, old);
        const QStringList before = Listing(folder);

        std::string failure;
        {
            FileSizeLimit limit(kLimitBytes);
            QVERIFY(limit.IsSet());
            try {
                failure = call();
            } catch (const std::exception& error) {
                failure = error.what();
            }
        }

        QVERIFY2(!failure.empty(), "the failed write was reported as a success");
        if (site != Site::StoredUpload)
            QCOMPARE(ReadAll(target), old);
        QCOMPARE(Listing(folder), before);
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomic_file.moc"
