// show_packer --show DIR --out ROOT --auth HEX --id ID [--name TEXT] [--customer TEXT]
//             [--pages DIR] [--score-name STEM] [--account TEXT] [--encipher LOGNAME]... [--add FILE]...
//             [--replace]
// Makes a show server root for the reference server or a file:// base address.
#include "ShowRootPacker.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char* argv[])
{
    zarn::tools::ShowRootOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--replace") {
            options.replace = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "show_packer: %s needs a value\n", name.c_str());
            return 2;
        }
        const std::string value = argv[++i];
        if (name == "--show") options.showFolder = value;
        else if (name == "--out") options.outputRoot = value;
        else if (name == "--auth") options.authHash = value;
        else if (name == "--id") options.showId = value;
        else if (name == "--name") options.showName = value;
        else if (name == "--customer") options.customerName = value;
        else if (name == "--pages") options.pagesFolder = value;
        else if (name == "--score-name") options.scoreName = value;
        else if (name == "--account") options.accountData = value;
        else if (name == "--encipher") options.encipheredLogs.push_back(value);
        else if (name == "--add") options.extraFiles.push_back(value);
        else {
            std::fprintf(stderr, "show_packer: unknown option %s\n", name.c_str());
            return 2;
        }
    }
    try {
        zarn::tools::ShowRootPacker::Pack(options);
        std::printf("Packed %s\n", options.outputRoot.string().c_str());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "show_packer: %s\n", error.what());
        return 1;
    }
}
