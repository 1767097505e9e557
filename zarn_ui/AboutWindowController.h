#pragma once

#include "QmlController.h"

#include <QString>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

class AcknowledgementsWindowController;

// Stands behind the about popup of the main menu (an item it wraps, not owns) and opens
// the acknowledgements window from it.
class AboutWindowController : public QmlController
{
    Q_OBJECT

public:
    AboutWindowController(QObject* aboutItem, QQmlEngine* engine, const QString& version,
                          const QString& logoSource, const QString& acknowledgementsPath,
                          const QString& versionIdentifier);
    ~AboutWindowController() override;

    // The acknowledgements window opened last; null before the first click.
    AcknowledgementsWindowController* GetAcknowledgementsWindow() const;

public slots:
    void AcknowledgementsClicked();

private:
    std::unique_ptr<AcknowledgementsWindowController> acknowledgementsWindow_;
    QString acknowledgementsPath_;
};

} // namespace zarn::qt
