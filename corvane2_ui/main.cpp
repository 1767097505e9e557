#include "CorvaneApp.h"

int main(int argc, char** argv)
{
    int exitCode = 0;
    {
        zarn::qt::CorvaneApp app(argc, argv);
        exitCode = app.ExitCode();
    }
    return exitCode;
}
