#pragma once

#include <QString>
#include <QTemporaryDir>

// Points the per-user data location at a fresh temporary folder for the life of the
// object, so tests never touch (or depend on) the real user's files.
class IsolatedDataHome
{
public:
    IsolatedDataHome();
    ~IsolatedDataHome();

    QString path() const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};
