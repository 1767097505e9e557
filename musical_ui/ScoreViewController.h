#pragma once

#include "QmlController.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

class Interface;
class QQmlEngine;
struct archive;

namespace cmn {
class ShowStore;
}

namespace zarn_sec {
class TwoFishCipherStream;
}

namespace zarn::qt {

struct ScorePage
{
    std::int32_t pageNumber = 0;
    QString dataUrl;
};

// Stands behind the main window's score view (ScoreView.qml): reads the show's score file
// once, hands the pages to the view as PNG data URLs in page order, turns the view's page
// requests into engine seeks and the engine's page reports into the view's current page.
//
// The score file is the first "*.score" file by name in the key source's current show folder
// (letter case ignored, hidden files left out): 16 bytes nobody reads, then a tar archive,
// possibly compressed, enciphered under the show's score key and IV. Its entries that are
// regular files named "*.png" (case counts) and not beginning with "." are the pages.
//
// A score that cannot be read never stops the show: LoadScorePages reports it as one `error`
// ("Score Not Available") naming the file and why, and the view gets an empty list. An
// archive that libarchive cannot open, or no score file at all, only writes a line to the log.
//
// GUI thread only. The item belongs to the main window; this controller only wraps it.
class ScoreViewController : public QmlController
{
    Q_OBJECT

public:
    // What one hostile file may make this controller hold.
    static constexpr std::uintmax_t kMaxScoreFileBytes = std::uintmax_t(1) << 30;
    static constexpr std::int64_t kMaxPageBytes = std::int64_t(64) << 20;
    static constexpr std::int64_t kMaxAllPagesBytes = std::int64_t(1) << 30;
    static constexpr const char* kErrorTitle = "Score Not Available";

    // Reads nothing yet; connects the item's pageChanged(int).
    ScoreViewController(QObject* scoreItem, std::shared_ptr<Interface> engine,
                        std::shared_ptr<cmn::ShowStore> keySource, QQmlEngine* qmlEngine);
    ~ScoreViewController() override;

    // Once per controller, right after it is made. Never throws for a bad score.
    void LoadScorePages();
    // The engine's page report (1-based): the view's current index becomes page - 1, unchecked.
    void SetCurrentPage(int pageNumber);

    // The run of digits directly before the last extension; 0 without one or when it does not fit.
    static int PageNumberFromName(const QString& name);
    // The score file of a show folder: the first "*.score" by name; empty when there is none.
    static std::filesystem::path FindScoreFile(const std::filesystem::path& showFolder);

    const std::vector<ScorePage>& GetPages() const { return pages; }
    const QStringList& GetImageList() const { return imageList; }
    // Whether anything of the file is still held beyond the pages (nothing once they are read).
    bool HoldsArchiveData() const { return cipherStream || !archiveBytes.empty() || archive; }

public slots:
    // The view asks for a page (1-based). The page shown follows only when the engine
    // reports it has got there.
    void currentPageChanged_(int newIndex);

private:
    // False when there is no score file; throws when there is one that cannot be deciphered.
    // `scoreFile` names the file found, for the error.
    bool OpenScoreFile(std::filesystem::path& scoreFile);
    // False, with a warning, when libarchive cannot open what was deciphered.
    bool OpenScoreArchive();
    void ReadPages();
    void SortPages();
    void ReleaseArchive();
    void HandPagesToView();

    std::shared_ptr<Interface> engine;
    std::shared_ptr<cmn::ShowStore> keySource;
    std::unique_ptr<zarn_sec::TwoFishCipherStream> cipherStream;
    std::vector<ScorePage> pages;
    std::vector<char> archiveBytes;
    QStringList imageList;
    struct archive* archive = nullptr;
};

} // namespace zarn::qt
