#include "CorvaneApp.h"

#include "CorvanePlayerFactory.h"

namespace zarn::qt {

CorvaneApp::CorvaneApp(int argc, char** argv)
    : MusicalApp(argc, argv, std::make_unique<CorvanePlayerFactory>())
{
}

} // namespace zarn::qt
