// What an archive needs of a file: read, write and a relative seek. The
// Windows file object implements it; tests use an in-memory one.
#pragma once

#include <cstdint>

class CByteStream {
public:
    virtual ~CByteStream() = default;
    // Returns the number of bytes read; 0 at end of file. Errors throw.
    virtual std::uint32_t Read(void* buffer, std::uint32_t count) = 0;
    // Writes all of `count` bytes or throws.
    virtual void Write(const void* buffer, std::uint32_t count) = 0;
    // Moves the file position by `offset` bytes from where it is.
    virtual void SeekFromCurrent(std::int32_t offset) = 0;
};
