// The output paths window of the loaded show and what its changes do to the engine and the log.
#include "EditController.h"
#include "FatalError.h"
#include "Interface.h"
#include "MusicalMainController.h"
#include "OutputPathsManagerController.h"

namespace zarn::qt {

void MusicalMainController::MakeOutputPathsManager()
{
    outputPaths_.reset();
    if (!player_)
        return;
    // The window lists the engine's paths with the devices saved on this machine; what the
    // manager adds while it is built reaches nobody, so a show load marks nothing as changed.
    outputPaths_ = std::make_shared<OutputPathsManagerController>(player_->GetOutputPathMap(), engine_, qmlObject_);
    connect(outputPaths_.get(), SIGNAL(AddOutputPathSignal(const CL::OutputPath&)), this,
            SLOT(onAddOutputhPath(const CL::OutputPath&)));
    connect(outputPaths_.get(), SIGNAL(RemoveOutputPathSignal(const CL::OutputPath&)), this,
            SLOT(onRemoveOutputhPath(const CL::OutputPath&)));
    connect(outputPaths_.get(), &QmlController::error, this, &MusicalMainController::onError);
    outputPaths_->SetVisible(false);
}

void MusicalMainController::ShowOutputPaths_()
{
    FatalError::Guard([&] {
        if (outputPaths_)
            outputPaths_->SetVisible(true);
    });
}

void MusicalMainController::onAddOutputhPath(const CL::OutputPath& path)
{
    FatalError::Guard([&] {
        if (!player_)
            return;
        try {
            player_->onAddOutputhPath(path);
        } catch (const std::exception& e) {
            onError(e.what(), OutputPathsManagerController::kErrorTitle);
            return;
        }
        // Marked, not only Save enabled: closing asks about unsaved edits by this flag.
        if (editController_)
            editController_->MarkChangeLogModified();
    });
}

void MusicalMainController::onRemoveOutputhPath(const CL::OutputPath& path)
{
    FatalError::Guard([&] {
        if (!player_)
            return;
        try {
            player_->onRemoveOutputhPath(path);
        } catch (const std::exception& e) {
            onError(e.what(), OutputPathsManagerController::kErrorTitle);
            return;
        }
        if (editController_)
            editController_->MarkChangeLogModified();
    });
}

} // namespace zarn::qt
