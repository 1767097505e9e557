#pragma once

#include <iostream>
#include <sstream>
#include <string>

// What the code under test writes to a standard stream while this lives, instead of the
// terminal: for checking the lines the program promises there.
class CapturedStream
{
public:
    explicit CapturedStream(std::ostream& stream) : stream_(stream), previous_(stream.rdbuf(text_.rdbuf())) {}
    ~CapturedStream() { stream_.rdbuf(previous_); }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
    std::string Text() const { return text_.str(); }

private:
    std::ostringstream text_;
    std::ostream& stream_;
    std::streambuf* previous_;
};

struct CapturedStdout : CapturedStream
{
    CapturedStdout() : CapturedStream(std::cout) {}
};

struct CapturedStderr : CapturedStream
{
    CapturedStderr() : CapturedStream(std::cerr) {}
};
