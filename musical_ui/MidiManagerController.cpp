#include "MidiManagerController.h"

#include "AppSettings.h"
#include "Interface.h"
#include "ShowManager.h"

#include <QJSValue>
#include <QQmlProperty>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <stdexcept>
#include <utility>

namespace zarn::qt {

namespace {

const QUrl kWindowUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/MidiManager.qml"));

// The row's pickers are written with `initializing` on; it goes off again even when a write
// fails half way, so the row does not stay deaf to the operator.
class Initializing
{
public:
    explicit Initializing(MidiManagerCommandController& row) : row_(row) { row_.SetInitializing(true); }
    ~Initializing() { row_.SetInitializing(false); }
    Initializing(const Initializing&) = delete;
    Initializing& operator=(const Initializing&) = delete;

private:
    MidiManagerCommandController& row_;
};

} // namespace

MidiManagerController::MidiManagerController(QQmlEngine* engine, std::shared_ptr<zarn::ShowManager> showManager,
                                             std::shared_ptr<zarn::AppSettings> settings, QObject* parent)
    : QmlController(engine, kWindowUrl, parent, true, {})
    , showManager_(std::move(showManager))
    , settings_(std::move(settings))
{
    QObject* window = qmlObject_;
    if (!window)
        throw std::runtime_error("The MIDI Manager window could not be loaded from "
                                 + kWindowUrl.toString().toStdString() + ".");
    if (!settings_)
        throw std::runtime_error("The general settings are not available.");
    const std::shared_ptr<Interface> player = Engine();
    BuildRows(*player);
    connect(window, SIGNAL(sourceSelected(int)), this, SLOT(onSourceSelected_(int)), Qt::UniqueConnection);
    ShowSources(*player);
}

MidiManagerController::~MidiManagerController()
{
    // The rows' items hang in this window's column: they go first.
    commandRows_.clear();
}

std::shared_ptr<Interface> MidiManagerController::Engine() const
{
    std::shared_ptr<Interface> engine = showManager_ ? showManager_->GetPlayer() : nullptr;
    if (!engine)
        throw std::runtime_error(MidiManagerCommandController::kNoShow);
    return engine;
}

template <class Work>
void MidiManagerController::Reporting(Work&& work)
{
    try {
        std::forward<Work>(work)();
    } catch (const std::exception& e) {
        emit error(e.what(), MidiManagerCommandController::kErrorTitle);
    } catch (...) {
        emit error("An unknown error occurred.", MidiManagerCommandController::kErrorTitle);
    }
}

void MidiManagerController::BuildRows(Interface& engine)
{
    const auto names = engine.GetCommandNames();
    const auto learned = engine.GetLearnedCommands();
    auto* column = qmlObject_->property("commandColumnObject").value<QObject*>();
    commandRows_.clear();
    for (const auto& [id, name] : names) {
        bool isLearned = false;
        int status = -1, channel = -1, note = -1;
        if (const auto found = learned.find(id); found != learned.end()) {
            isLearned = true;
            status = found->second.status;
            channel = found->second.channel;
            note = found->second.note;
        }
        const bool learning = engine.IsMidiCommandLearning(id);
        auto row = std::make_unique<MidiManagerCommandController>(engine_, showManager_, int(id),
                                                                  QString::fromStdString(name), isLearned, learning,
                                                                  status, channel, note, column);
        connect(row.get(), &QmlController::error, this, &QmlController::error);
        commandRows_.push_back(std::move(row));
    }
}

void MidiManagerController::ShowSources(Interface& engine)
{
    QObject* window = qmlObject_;
    QStringList names;
    for (const MidiEndPoint& source : engine.GetMidiSources())
        names.append(QString::fromStdString(source.GetSourceName()));
    window->setProperty("sourceModel", names);
    if (names.isEmpty()) {
        // Nothing to choose: the box says why, and the engine is not told anything.
        const std::string problem = engine.GetMidiProblem();
        window->setProperty("noSourceText", problem.empty() ? QString::fromLatin1(kNoMidiInput)
                                                            : QString::fromStdString(problem));
    } else {
        const qsizetype saved = names.indexOf(settings_->currentMidiSourceName);
        const int index = saved >= 0 ? static_cast<int>(saved) : 0;
        window->setProperty("sourceIndex", index);
        engine.SetMidiSource(index);
    }
    if (engine.HasMidiSource()) {
        window->setProperty("sourceIndex", int(engine.GetConnectedSourceIndex()));
        window->setProperty("sourceStatus", true);
    }
}

MidiManagerCommandController* MidiManagerController::FindRow(int commandId) const
{
    for (const auto& row : commandRows_) {
        if (row->GetCommandId() == commandId)
            return row.get();
    }
    return nullptr;
}

void MidiManagerController::MidiLearned(int commandId, int midiStatus, int channel, int note)
{
    Reporting([&] {
        // A report for a command without a row (the engine knows more commands than it did
        // when the window was made) has nothing to show.
        MidiManagerCommandController* row = FindRow(commandId);
        if (!row)
            return;
        Initializing quiet(*row);
        row->SetCommandValues(midiStatus, channel, note, true, false, true);
    });
}

void MidiManagerController::MidiUnlearned(int commandId)
{
    Reporting([&] {
        if (MidiManagerCommandController* row = FindRow(commandId))
            row->ClearCommand();
    });
}

void MidiManagerController::onSourceSelected_(int index)
{
    Reporting([&] {
        Engine()->SetMidiSource(index);
        QVariant model = QQmlProperty::read(qmlObject_, QStringLiteral("sourceModel"));
        if (model.metaType() == QMetaType::fromType<QJSValue>())
            model = model.value<QJSValue>().toVariant();
        const QStringList names = model.toStringList();
        if (index < 0 || index >= names.size())
            return;
        settings_->currentMidiSourceName = names.at(index);
        if (!settings_->Save())
            throw std::runtime_error("The chosen MIDI source could not be saved in the general settings.");
    });
}

} // namespace zarn::qt
