// show_installer --root SERVER_ROOT --data DATA_FOLDER
// Writes DATA_FOLDER/shows.json naming the root's show with a file:// base address.
// Leaves an existing shows.json alone (exit code 3).
#include "ShowInstaller.h"

#include "zarn_core/ShowStore.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

int main(int argc, char* argv[])
{
    std::filesystem::path root;
    std::filesystem::path data;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--root") root = argv[i + 1];
        else if (name == "--data") data = argv[i + 1];
    }
    if (root.empty() || data.empty()) {
        std::fprintf(stderr, "usage: show_installer --root SERVER_ROOT --data DATA_FOLDER\n");
        return 2;
    }
    std::error_code ec;
    if (std::filesystem::exists(data / cmn::ShowStore::kFileName, ec)) {
        std::printf("A show is installed already in %s\n", data.string().c_str());
        return 3;
    }
    try {
        zarn::tools::ShowInstaller::Install(root, data);
        std::printf("Installed the show of %s into %s\n", root.string().c_str(), data.string().c_str());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "show_installer: %s\n", error.what());
        return 1;
    }
}
