// score_packer --pages DIR --out FILE.score (--credential SHOWDIR | --key HEX --iv HEX) [--plain-tar]
// score_packer --list FILE.score (--credential SHOWDIR | --key HEX --iv HEX)
#include "HexText.h"
#include "ScorePacker.h"
#include "zarn_core/ShowCredential.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <string>

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: score_packer --pages DIR --out FILE.score (--credential SHOWDIR | --key HEX --iv HEX) "
                 "[--plain-tar]\n"
                 "       score_packer --list FILE.score (--credential SHOWDIR | --key HEX --iv HEX)\n");
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    std::map<std::string, std::string> args;
    bool compress = true;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--plain-tar") {
            compress = false;
        } else if (name.rfind("--", 0) == 0 && i + 1 < argc) {
            args[name.substr(2)] = argv[++i];
        } else {
            return Usage();
        }
    }
    try {
        std::vector<uint8_t> key;
        std::vector<uint8_t> iv;
        if (args.count("credential")) {
            const auto credential = cmn::ShowCredential::ReadFromFolder(args["credential"]);
            key = credential.scoreKey;
            iv = credential.scoreIv;
        } else if (args.count("key") && args.count("iv")) {
            key = zarn_sec::FromHex(args["key"]);
            iv = zarn_sec::FromHex(args["iv"]);
        } else {
            return Usage();
        }
        if (args.count("list")) {
            for (const auto& page : zarn::tools::ScorePacker::Unpack(args["list"], key, iv)) {
                std::printf("%s %zu\n", page.name.c_str(), page.bytes.size());
            }
            return 0;
        }
        if (!args.count("pages") || !args.count("out")) {
            return Usage();
        }
        zarn::tools::ScorePacker::Pack(args["pages"], args["out"], key, iv, compress);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "score_packer: %s\n", error.what());
        return 1;
    }
}
