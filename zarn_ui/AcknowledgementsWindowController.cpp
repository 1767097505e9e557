#include "AcknowledgementsWindowController.h"

#include <QFile>
#include <QUrl>

namespace zarn::qt {

AcknowledgementsWindowController::AcknowledgementsWindowController(QQuickItem* parent, QQmlEngine* engine,
                                                                   const QString& filePath)
    : QmlController(engine,
                    QUrl(QStringLiteral("qrc:/qt/qml/com/lanternhillstudios/zarn_ui/qml/AcknowledgementsWindow.qml")),
                    parent, true, {})
{
    QObject* window = GetQmlObject();
    if (!window)
        return;

    QFile file(filePath);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        window->setProperty("acknowledgementText", QString::fromUtf8(file.readAll()));
    else
        window->setProperty("acknowledgementText", QStringLiteral("Error: Unable to Load Acknowledgements."));
}

} // namespace zarn::qt
