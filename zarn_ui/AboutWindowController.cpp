#include "AboutWindowController.h"

#include "AcknowledgementsWindowController.h"

#include <QQuickItem>

namespace zarn::qt {

AboutWindowController::AboutWindowController(QObject* aboutItem, QQmlEngine* engine, const QString& version,
                                             const QString& logoSource, const QString& acknowledgementsPath,
                                             const QString& versionIdentifier)
    : QmlController(aboutItem, engine)
    , acknowledgementsPath_(acknowledgementsPath)
{
    if (!aboutItem)
        return;
    connect(aboutItem, SIGNAL(acknowledgementsClicked()), this, SLOT(AcknowledgementsClicked()));
    aboutItem->setProperty("version", version);
    aboutItem->setProperty("versionIdentifier", versionIdentifier);
    aboutItem->setProperty("logoSource", logoSource);
}

AboutWindowController::~AboutWindowController()
{
    acknowledgementsPath_.clear();
    acknowledgementsWindow_.reset();
}

AcknowledgementsWindowController* AboutWindowController::GetAcknowledgementsWindow() const
{
    return acknowledgementsWindow_.get();
}

void AboutWindowController::AcknowledgementsClicked()
{
    // The previous window goes with its controller (deleted later), so only one is ever left.
    acknowledgementsWindow_ = std::make_unique<AcknowledgementsWindowController>(
        qobject_cast<QQuickItem*>(GetQmlObject()), engine_, acknowledgementsPath_);
}

} // namespace zarn::qt
