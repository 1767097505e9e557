#pragma once

#include <sstream>

namespace zarn_sec {

// Deciphered content of a file, held in memory. Subclasses fill the stream in their
// constructor and throw when the file cannot be deciphered, so a live object is always
// complete.
class CipherStream {
public:
    virtual ~CipherStream();

    CipherStream(const CipherStream&) = delete;
    CipherStream& operator=(const CipherStream&) = delete;

    std::stringstream& GetStream();

protected:
    CipherStream();

    std::stringstream stream_;
};

} // namespace zarn_sec
