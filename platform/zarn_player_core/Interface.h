#pragma once

// The playback engine of one loaded show. The program holds it by shared pointer and
// talks to it only through these members, so tests can stand a fake in its place.
class Interface
{
public:
    Interface() = default;
    Interface(const Interface&) = delete;
    Interface& operator=(const Interface&) = delete;
    virtual ~Interface();
};
