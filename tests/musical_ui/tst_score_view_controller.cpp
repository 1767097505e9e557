// The score view's controller over score files in a temporary show folder: which entries are
// pages and in what order, what a damaged or hostile file gives, and page requests against an
// engine that records them.
#include "ScoreFakeEngine.h"
#include "ScoreFixture.h"

#include "QmlModuleLoader.h"
#include "ScoreViewController.h"
#include "TwoFishCipher.h"
#include "zarn_core/ShowStore.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

using zarn::qt::ScoreViewController;
using Entry = ScoreShowFolder::Entry;
Q_DECLARE_METATYPE(ScoreShowFolder::Entry)

namespace {

// The four members the controller uses, and a count of the updates it asked for.
const char kProbeItem[] = R"(
import QtQuick
Item {
    property var imageListModel: null
    property int currentIndex: 0
    property int updates: 0
    signal pageChanged(int value)
    function updateImages() { updates += 1 }
}
)";

Entry Page(const std::string& name, int shade)
{
    return Entry{name, TinyPng(shade)};
}

QStringList UrlsOf(const std::vector<Entry>& entries)
{
    QStringList urls;
    for (const auto& e : entries)
        urls << PngDataUrl(e.bytes);
    return urls;
}

} // namespace

class TestScoreViewController : public QObject
{
    Q_OBJECT

    QQmlEngine engine_;
    std::unique_ptr<ScoreShowFolder> show_;
    std::unique_ptr<QObject> item_;
    std::shared_ptr<ScoreFakeEngine> fake_;
    std::unique_ptr<ScoreViewController> controller_;
    std::unique_ptr<QSignalSpy> errors_;

    void MakeController()
    {
        controller_ = std::make_unique<ScoreViewController>(item_.get(), fake_, show_->Store(), &engine_);
        errors_ = std::make_unique<QSignalSpy>(controller_.get(), &zarn::qt::QmlController::error);
    }

    QStringList Shown() const { return item_->property("imageListModel").toStringList(); }

    // Loads and checks what every load does: a list handed over (never left null), the view's
    // update queued behind it, nothing of the file kept beyond the pages.
    void Load()
    {
        MakeController();
        controller_->LoadScorePages();
        QVERIFY(item_->property("imageListModel").isValid());
        QVERIFY(!item_->property("imageListModel").isNull());
        QCOMPARE(item_->property("updates").toInt(), 0);
        QTRY_COMPARE(item_->property("updates").toInt(), 1);
        QVERIFY(!controller_->HoldsArchiveData());
    }

private slots:
    void initTestCase()
    {
        zarn::qt::QmlModuleLoader::PrepareEngine(engine_);
    }

    void init()
    {
        show_ = std::make_unique<ScoreShowFolder>();
        QQmlComponent component(&engine_);
        component.setData(kProbeItem, QUrl());
        item_.reset(component.create());
        QVERIFY2(item_, qPrintable(component.errorString()));
        fake_ = std::make_shared<ScoreFakeEngine>();
    }

    void cleanup()
    {
        errors_.reset();
        controller_.reset();
        item_.reset();
        show_.reset();
    }

    void pagesAndTheirOrder_data()
    {
        QTest::addColumn<std::vector<Entry>>("entries");
        QTest::addColumn<bool>("gzip");
        QTest::addColumn<std::vector<int>>("pages"); // indexes into entries, in page order

        const std::vector<Entry> mixed{Page("page2.png", 20), Page("page1.png", 40), Page("notes.txt", 60),
                                       Page(".hidden.png", 80), Page("./page3.png", 100)};
        QTest::newRow("pages among other entries, gzip") << mixed << true << std::vector<int>{1, 0};
        QTest::newRow("pages among other entries, plain tar") << mixed << false << std::vector<int>{1, 0};
        QTest::newRow("a name without number first")
            << std::vector<Entry>{Page("page1.png", 10), Page("cover.png", 30)} << true << std::vector<int>{1, 0};
        QTest::newRow("upper-case extension is no page")
            << std::vector<Entry>{Page("page1.PNG", 10), Page("page2.png", 30)} << true << std::vector<int>{1};
        QTest::newRow("numbered inside folders")
            << std::vector<Entry>{Page("score/p_010.png", 10), Page("score/p_002.png", 30), Page("score/p_003.png", 50)}
            << false << std::vector<int>{1, 2, 0};
        QTest::newRow("directories and links are no pages")
            << std::vector<Entry>{Entry{"folder.png", {}, Entry::Directory}, Page("page2.png", 10),
                                  Entry{"link.png", {}, Entry::Link}, Page("page1.png", 30)}
            << false << std::vector<int>{3, 1};
        QTest::newRow("no page at all") << std::vector<Entry>{Page("notes.txt", 10)} << true << std::vector<int>{};
    }

    void pagesAndTheirOrder()
    {
        QFETCH(std::vector<Entry>, entries);
        QFETCH(bool, gzip);
        QFETCH(std::vector<int>, pages);
        show_->WriteScore("lanterns.score", ScoreShowFolder::Archive(entries, gzip));
        Load();
        QStringList expected;
        for (int i : pages)
            expected << PngDataUrl(entries[static_cast<std::size_t>(i)].bytes);
        QCOMPARE(Shown(), expected);
        QCOMPARE(controller_->GetImageList(), expected);
        QCOMPARE(errors_->count(), 0);
    }

    void pageNumberFromName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("page12.png") << "page12.png" << 12;
        QTest::newRow("score/p_003.png") << "score/p_003.png" << 3;
        QTest::newRow("1.2.png") << "1.2.png" << 2;
        QTest::newRow("12/cover.png") << "12/cover.png" << 0;
        QTest::newRow("cover.png") << "cover.png" << 0;
        QTest::newRow("too many digits") << "page99999999999.png" << 0;
        QTest::newRow("largest that fits") << "page2147483647.png" << 2147483647;
        QTest::newRow("no extension") << "page7" << 0;
    }

    void pageNumberFromName()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(ScoreViewController::PageNumberFromName(name), number);
    }

    void noScoreFileIsSilent()
    {
        // What is not a score file: another extension, a hidden file, a folder.
        std::ofstream(show_->Folder() / "lanterns.scores") << "x";
        show_->WriteScore(".hidden.score", ScoreShowFolder::Archive({Page("page1.png", 1)}, true));
        std::filesystem::create_directory(show_->Folder() / "folder.score");
        QTest::ignoreMessage(QtDebugMsg, "No .score file found.");
        Load();
        QCOMPARE(Shown(), QStringList());
        QCOMPARE(errors_->count(), 0);
    }

    void firstScoreFileByName()
    {
        const std::vector<Entry> first{Page("page1.png", 11)};
        const std::vector<Entry> second{Page("page1.png", 99)};
        show_->WriteScore("beta.SCORE", ScoreShowFolder::Archive(second, true));
        show_->WriteScore("Alpha.Score", ScoreShowFolder::Archive(first, true));
        show_->WriteScore("gamma.score", ScoreShowFolder::Archive(second, true));
        Load();
        QCOMPARE(Shown(), UrlsOf(first));
    }

    // A score that cannot be read: one error naming the file, an empty list, and the load goes on.
    void unreadableScore_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("wrong key") << "wrong key" << "wrong key or damaged file";
        QTest::newRow("no key material") << "no key" << "Cipher key must be 16, 24 or 32 bytes, got 0";
        QTest::newRow("truncated file") << "truncated" << "not a multiple of 16";
        QTest::newRow("file cut at a block") << "cut at block" << "wrong key or damaged file";
        QTest::newRow("oversized file") << "oversized" << "larger than 1 GiB";
    }

    void unreadableScore()
    {
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        const auto archive = ScoreShowFolder::Archive({Page("page1.png", 1), Page("page2.png", 2)}, true);
        std::filesystem::path file = show_->WriteScore("lanterns.score", archive);
        if (damage == "wrong key") {
            show_->WriteScoreWithKey("lanterns.score", archive, std::vector<std::uint8_t>(32, 7));
        } else if (damage == "no key") {
            show_->ForgetScoreKey();
        } else if (damage == "truncated") {
            std::filesystem::resize_file(file, std::filesystem::file_size(file) - 5);
        } else if (damage == "cut at block") {
            std::filesystem::resize_file(file, std::filesystem::file_size(file) - 16);
        } else if (damage == "oversized") {
            // Sparse: nothing of it is read.
            std::filesystem::resize_file(file, ScoreViewController::kMaxScoreFileBytes + 16);
        }
        Load();
        QCOMPARE(Shown(), QStringList());
        QCOMPARE(errors_->count(), 1);
        const auto message = QString::fromStdString(errors_->at(0).at(0).value<std::string>());
        QVERIFY2(message.contains(QString::fromStdString(file.string())), qPrintable(message));
        QVERIFY2(message.contains(reason), qPrintable(message));
        QCOMPARE(errors_->at(0).at(1).value<std::string>(), std::string("Score Not Available"));
    }

    // What deciphers but is no archive only warns, as an empty score.
    void notAnArchive_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("16 bytes") << 16;
        QTest::newRow("5 bytes") << 5;
        QTest::newRow("no bytes") << 0;
        QTest::newRow("noise after the 16") << 16 + 3000;
    }

    void notAnArchive()
    {
        QFETCH(int, size);
        show_->WriteEnciphered("lanterns.score", zarn_sec::RandomBytes(static_cast<std::size_t>(size)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Failed to open in-memory archive: .+")));
        Load();
        QCOMPARE(Shown(), QStringList());
        QCOMPARE(errors_->count(), 0);
    }

    void oversizedEntryIsSkipped()
    {
        // Zeros compress to almost nothing: a small file that would need 65 MiB to show.
        const std::vector<Entry> entries{Page("page1.png", 1),
                                         Entry{"page2.png", std::vector<std::uint8_t>((65 << 20), 0), Entry::File},
                                         Page("page3.png", 3)};
        show_->WriteScore("lanterns.score", ScoreShowFolder::Archive(entries, true));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page2.png.*too large")));
        Load();
        QCOMPARE(Shown(), UrlsOf({entries[0], entries[2]}));
    }

    void truncatedEntryIsDropped()
    {
        const std::vector<Entry> entries{Page("page1.png", 1), Entry{"page2.png", zarn_sec::RandomBytes(5000), Entry::File},
                                         Page("page3.png", 3)};
        auto archive = ScoreShowFolder::Archive(entries, false);
        // A plain tar: page1's header and data, page2's header, then 1000 of its 5000 bytes.
        const std::size_t page1Blocks = (entries[0].bytes.size() + 511) / 512;
        std::size_t cut = 0;
        // Past pax extended headers the packer may write, find page2's data by its bytes.
        const auto& second = entries[1].bytes;
        const auto at = std::search(archive.begin(), archive.end(), second.begin(), second.begin() + 64);
        QVERIFY(at != archive.end());
        cut = static_cast<std::size_t>(at - archive.begin()) + 1000;
        QVERIFY(cut > page1Blocks * 512);
        archive.resize(cut);
        show_->WriteScore("lanterns.score", archive);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("page2.png.*cannot be read")));
        Load();
        QCOMPARE(Shown(), UrlsOf({entries[0]}));
        QCOMPARE(errors_->count(), 0);
    }

    void engineReportsTurnThePage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("index");
        QTest::newRow("page 1") << 1 << 0;
        QTest::newRow("page 0") << 0 << -1;
        QTest::newRow("past the pages") << 40 << 39;
    }

    void engineReportsTurnThePage()
    {
        QFETCH(int, page);
        QFETCH(int, index);
        MakeController();
        item_->setProperty("currentIndex", 5);
        controller_->SetCurrentPage(page);
        QCOMPARE(item_->property("currentIndex").toInt(), index);
    }

    // A page asked for in the view moves playback there, and never leaves it stopped.
    void pageRequests_data()
    {
        QTest::addColumn<bool>("playing");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("playsAfter");

        QTest::newRow("stopped, same song")
            << false << 2 << QString()
            << QStringList{"LookupPage(2)", "GetIsPlaying()", "GetCurrentSongNumber()", "Seek(7680)"} << false;
        QTest::newRow("playing, same song")
            << true << 2 << QString()
            << QStringList{"LookupPage(2)", "GetIsPlaying()", "Pause(false)", "GetCurrentSongNumber()", "Seek(7680)",
                           "Play()"}
            << true;
        QTest::newRow("stopped, another song")
            << false << 4 << QString()
            << QStringList{"LookupPage(4)", "GetIsPlaying()", "GetCurrentSongNumber()", "LoadSongAtTime(3, 480)"}
            << false;
        QTest::newRow("playing, another song")
            << true << 3 << QString()
            << QStringList{"LookupPage(3)", "GetIsPlaying()", "Pause(false)", "GetCurrentSongNumber()",
                           "LoadSongAtTime(2, 0)", "Play()"}
            << true;
        QTest::newRow("unknown page while playing: no pause")
            << true << 9 << QString() << QStringList{"LookupPage(9)"} << true;
        QTest::newRow("page 0 from an empty score") << true << 0 << QString() << QStringList{"LookupPage(0)"} << true;
        QTest::newRow("failing look-up") << true << 2 << "LookupPage" << QStringList{"LookupPage(2)"} << true;
        QTest::newRow("failing seek after the pause: played again")
            << true << 2 << "Seek"
            << QStringList{"LookupPage(2)", "GetIsPlaying()", "Pause(false)", "GetCurrentSongNumber()", "Seek(7680)",
                           "Play()"}
            << true;
        QTest::newRow("failing song load after the pause: played again")
            << true << 3 << "LoadSongAtTime"
            << QStringList{"LookupPage(3)", "GetIsPlaying()", "Pause(false)", "GetCurrentSongNumber()",
                           "LoadSongAtTime(2, 0)", "Play()"}
            << true;
        QTest::newRow("failing song number after the pause: played again")
            << true << 3 << "GetCurrentSongNumber"
            << QStringList{"LookupPage(3)", "GetIsPlaying()", "Pause(false)", "GetCurrentSongNumber()", "Play()"}
            << true;
        QTest::newRow("failing seek while stopped")
            << false << 2 << "Seek"
            << QStringList{"LookupPage(2)", "GetIsPlaying()", "GetCurrentSongNumber()", "Seek(7680)"} << false;
    }

    void pageRequests()
    {
        QFETCH(bool, playing);
        QFETCH(int, page);
        QFETCH(QString, failing);
        QFETCH(QStringList, calls);
        QFETCH(bool, playsAfter);
        fake_->playing = playing;
        if (!failing.isEmpty())
            fake_->failing.insert(failing.toStdString());
        MakeController();
        item_->setProperty("currentIndex", 0);
        // As the view asks: through its signal.
        QVERIFY(QMetaObject::invokeMethod(item_.get(), "pageChanged", Q_ARG(int, page)));
        QStringList made;
        for (const auto& call : fake_->calls)
            made << QString::fromStdString(call);
        QCOMPARE(made, calls);
        QCOMPARE(fake_->playing, playsAfter);
        // The view waits for the engine's report.
        QCOMPARE(item_->property("currentIndex").toInt(), 0);
        QCOMPARE(errors_->count(), 0);
    }

    // The real view, created as the main window creates it (any warning fails), shows what
    // the controller hands it.
    void realViewShowsTheFirstPage()
    {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QQmlComponent component(&engine_);
        zarn::qt::QmlModuleLoader::LoadFromModule(component, zarn::qt::QmlModuleLoader::kMusicalUiModule,
                                                  QStringLiteral("ScoreView"));
        std::unique_ptr<QObject> view(component.create());
        QVERIFY2(view, qPrintable(component.errorString()));
        const std::vector<Entry> entries{Page("page2.png", 50), Page("page1.png", 150)};
        show_->WriteScore("lanterns.score", ScoreShowFolder::Archive(entries, true));
        ScoreViewController controller(view.get(), fake_, show_->Store(), &engine_);
        controller.LoadScorePages();
        QCOMPARE(view->property("counterText").toString(), QStringLiteral("Page 1 of 2"));
        QTRY_COMPARE(view->property("currentImage1").toString(), PngDataUrl(entries[1].bytes));
        controller.SetCurrentPage(2);
        QTRY_COMPARE(view->property("currentImage1").toString(), PngDataUrl(entries[0].bytes));
        QCOMPARE(view->property("counterText").toString(), QStringLiteral("Page 2 of 2"));
    }
};

QTEST_MAIN(TestScoreViewController)
#include "tst_score_view_controller.moc"
