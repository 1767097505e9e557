#pragma once

#include "EditToolController.h"

#include <QString>

#include <memory>

class QQmlEngine;

namespace zarn::qt {

// The marker tool: puts a named marker at a picked bar and beat of the current song, or
// moves and renames an existing one in one OK.
class MarkerToolController : public EditToolController
{
    Q_OBJECT

public:
    MarkerToolController(QQmlEngine* engine, std::shared_ptr<Interface> engineHandle,
                         EditController* editController, QObject* parent);
    // A new tool on a new window, with no parent and nothing picked or remembered; the move
    // takes the other's engine handle over.
    MarkerToolController(const MarkerToolController& other);
    MarkerToolController(MarkerToolController&& other);

    void ConnectToolSignals() override;

signals:
    void markerToolClosing();

public slots:
    void onMarkerButtonClicked(TL::BarsBeats position);
    void onMarkerButtonClicked();
    void onMarkerCreationRequest(QString bar, int beat, QString value);
    void onMarkerEdit(cmn::ZarnEvent* zarnEvent);
    void onMarkerChangeRequest(QString bar, int beat, QString value);
    void onMarkerToolClosing();
};

} // namespace zarn::qt
