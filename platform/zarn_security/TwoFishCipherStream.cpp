#include "TwoFishCipherStream.h"

#include "TwoFishCipher.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zarn_sec {

TwoFishCipherStream::TwoFishCipherStream(const std::string& path, const std::vector<uint8_t>& key,
                                         const std::vector<uint8_t>& iv)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("Unable to open cipher file " + path);
    }
    const std::vector<uint8_t> stored{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw std::runtime_error("Unable to read cipher file " + path);
    }
    if (const std::string problem = EncipheredSizeProblem(stored.size()); !problem.empty()) {
        throw std::runtime_error("Cipher file " + problem + ": " + path);
    }
    const std::vector<uint8_t> plain = Decipher(key, iv, stored);
    stream_.write(reinterpret_cast<const char*>(plain.data()),
                  static_cast<std::streamsize>(plain.size()));
    stream_.seekg(0);
}

} // namespace zarn_sec
