#include "IsolatedDataHome.h"

#include <QtGlobal>

IsolatedDataHome::IsolatedDataHome()
    : previous_(qgetenv("XDG_DATA_HOME")), hadPrevious_(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
{
    qputenv("XDG_DATA_HOME", dir_.path().toLocal8Bit());
}

IsolatedDataHome::~IsolatedDataHome()
{
    if (hadPrevious_)
        qputenv("XDG_DATA_HOME", previous_);
    else
        qunsetenv("XDG_DATA_HOME");
}

QString IsolatedDataHome::path() const
{
    return dir_.path();
}
