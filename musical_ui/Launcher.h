#pragma once

#include "PlayerFactory.h"

#include <QObject>

#include <memory>

class QQmlApplicationEngine;

namespace zarn::qt {

// Decides what the operator sees first. For now it prepares the data folder and opens
// the edition's start window; the show download and main window come later.
class Launcher : public QObject
{
    Q_OBJECT

public:
    Launcher(QQmlApplicationEngine* engine, std::unique_ptr<zarn::PlayerFactory> profile, QObject* parent);
    ~Launcher() override;

    const zarn::PlayerFactory& GetProfile() const;
    QString GetDataFolder() const;

private:
    QQmlApplicationEngine* engine_;
    std::unique_ptr<zarn::PlayerFactory> profile_;
    QString dataFolder_;
};

} // namespace zarn::qt
