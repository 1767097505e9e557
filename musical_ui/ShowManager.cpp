#include "ShowManager.h"

#include "QmlModuleLoader.h"

#include <QObject>
#include <QQuickItem>
#include <QQuickView>
#include <QString>
#include <QUrl>

#include <iostream>
#include <stdexcept>

namespace zarn {

namespace {
const char* const kMessageBoxUrl = "qrc:/qt/qml/com/lanternhillstudios/zarn_ui/qml/MessageBox.qml";
// Numbers the warning windows in the order they were opened (the windows list of the
// application does not keep that order).
int warningWindowSerial = 0;
} // namespace

ShowManager::ShowManager(std::shared_ptr<Interface> player)
{
    InstantiatePlayer(std::move(player));
}

void ShowManager::InstantiatePlayer(std::shared_ptr<Interface> player)
{
    if (player_)
        throw std::runtime_error("You must delete the previous player before instantiating a new one!");
    if (!player)
        throw std::invalid_argument("The show manager needs an engine; none was given.");

    player_ = std::move(player);
    songMap_ = player_->GetSongNamesBySongNumber();
    RefreshAttaccas();
    editor_ = player_->GetChangeLogEditor();

    ShowTempoScaleWarnings();
    ShowModifiedClickEdits();
    ShowInvertedLoops();
}

void ShowManager::Shutdown()
{
    if (!player_)
        return;
    try {
        player_->Shutdown();
        player_.reset();
    } catch (...) {
        // The engine stays held: the caller may still release it through its own pointer.
    }
}

void ShowManager::ReleasePlayer()
{
    player_.reset();
}

std::shared_ptr<Interface> ShowManager::GetPlayer() const
{
    return player_;
}

std::string ShowManager::GetCurrentSongNumber()
{
    return Player().GetCurrentSongNumber();
}

std::string ShowManager::GetBarString(unsigned tick)
{
    Player(); // an engine must be held
    // Our own reference keeps the engine alive for the whole call.
    const std::shared_ptr<Interface> player = player_;
    return player->GetBarString(tick);
}

CL::Editor* ShowManager::PauseAndGetEditor()
{
    Player().Pause(false);
    return editor_;
}

CL::Editor* ShowManager::GetEditor() const
{
    return editor_;
}

std::vector<std::unique_ptr<cmn::ZarnEvent>> ShowManager::GetChangeLogPanelEvents()
{
    return Player().GetChangeLogPanelEvents();
}

std::string ShowManager::GetLogVersion()
{
    return Player().GetLogVersion();
}

std::vector<std::pair<cmn::ZarnEvent*, std::string>> ShowManager::GetMarkers()
{
    Interface& player = Player();
    std::vector<std::pair<cmn::ZarnEvent*, std::string>> result;
    for (cmn::ZarnEvent* marker : player.GetMarkers()) {
        if (!marker)
            continue;
        result.emplace_back(marker, player.GetBarString(marker->abs_time()));
    }
    return result;
}

unsigned ShowManager::GetSongLength(std::string songNumber)
{
    return Player().GetSongLength(songNumber);
}

unsigned ShowManager::GetSongStartTickIndex(std::string songNumber)
{
    return Player().GetSongStartTickIndex(songNumber);
}

void ShowManager::SetChangelogFilename(std::string path)
{
    Interface& player = Player();
    player.SetChangelogFilename(path);
    player.Pause(false);
    editor_ = player.GetChangeLogEditor();
    RefreshAttaccas();

    ShowModifiedClickEdits();
    ShowTempoScaleWarnings();
    ShowInvertedLoops();
}

void ShowManager::SelectSongLogForEditing(const std::string& songNumber)
{
    Editor().SelectSongLogForEditing(songNumber);
}

void ShowManager::UpdateNetworks(const std::vector<CL::NetworkPath>& networks)
{
    Player().UpdateNetworks(networks);
}

void ShowManager::RefreshAttaccas()
{
    Interface& player = Player();
    // The answers are not kept: the song list asks the engine itself. Asking here makes the
    // engine settle each song's state after a change of change log.
    for (const auto& [songNumber, name] : songMap_)
        player.GetAttacca(songNumber);
}

const ShowManager::SongMap& ShowManager::GetSongMap() const
{
    return songMap_;
}

std::string ShowManager::InvertedLoopWarning(const std::string& description)
{
    return "We have detected and automatically fixed some unusual change log edits. Please review the following "
           "changes to ensure that they work as you expect.\n\n"
        + description;
}

Interface& ShowManager::Player() const
{
    if (!player_)
        throw std::logic_error("The show's engine has been shut down.");
    return *player_;
}

CL::Editor& ShowManager::Editor() const
{
    if (!editor_)
        throw std::logic_error("The show's engine has no change-log editor.");
    return *editor_;
}

void ShowManager::ShowModifiedClickEdits()
{
    const std::string text = Player().GetModifiedClickEditLog();
    if (!text.empty())
        ShowWarningWindow(text);
}

void ShowManager::ShowTempoScaleWarnings()
{
    const std::string text = Player().GetTempoScaleWarnings();
    if (!text.empty())
        ShowWarningWindow(text);
}

void ShowManager::ShowInvertedLoops()
{
    Interface& player = Player();
    if (player.GetInvertedLoopEventCount() == 0)
        return;
    ShowWarningWindow(InvertedLoopWarning(player.GetInvertedLoopEventDescription()));
}

void ShowManager::ShowWarningWindow(const std::string& text)
{
    // A view with a QML engine of its own, not owned by anyone: it lives until the user
    // closes it.
    auto* view = new QQuickView(static_cast<QWindow*>(nullptr));
    view->setObjectName(QStringLiteral("engineWarningWindow"));
    view->setProperty("warningSerial", ++warningWindowSerial);
    QObject::connect(view, SIGNAL(closing(QQuickCloseEvent*)), view, SLOT(deleteLater()));
    zarn::qt::QmlModuleLoader::PrepareEngine(*view->engine());
    view->setSource(QUrl(QString::fromLatin1(kMessageBoxUrl)));
    QQuickItem* root = view->rootObject();
    if (!root) {
        // The warning must not be lost even when its window cannot be made.
        std::cerr << "Engine warning (its window could not be shown): " << text << std::endl;
        view->deleteLater();
        return;
    }
    root->setProperty("text", QString::fromStdString(text));
    view->show();
}

} // namespace zarn
