#include "CipherStream.h"

namespace zarn_sec {

CipherStream::CipherStream()
    : stream_(std::ios::in | std::ios::out | std::ios::binary)
{
}

CipherStream::~CipherStream() = default;

std::stringstream& CipherStream::GetStream()
{
    return stream_;
}

} // namespace zarn_sec
