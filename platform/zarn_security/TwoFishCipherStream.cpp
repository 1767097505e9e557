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
    const std::vector<uint8_t> cipher{std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw std::runtime_error("Unable to read cipher file " + path);
    }
    if (cipher.size() % kTwoFishBlockSize != 0) {
        throw std::runtime_error("Cipher file size is not a multiple of 16: " + path);
    }
    if (cipher.empty()) {
        throw std::runtime_error("Cipher file is empty: " + path);
    }
    const std::vector<uint8_t> plain = Decipher(key, iv, cipher);
    stream_.write(reinterpret_cast<const char*>(plain.data()),
                  static_cast<std::streamsize>(plain.size()));
    stream_.seekg(0);
}

} // namespace zarn_sec
