// The framework's file object over CreateFileA: a failed open is a false
// result, failed reads, writes, seeks and closes throw CFileException.
#pragma once

#include "platform/ByteStream.h"
#include "platform/Exceptions.h"
#include "platform/Handle.h"

#include <cstdint>
#include <string>

class CFile : public CByteStream {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,       // GENERIC_READ, the file must exist
        modeWrite = 0x0001,      // GENERIC_WRITE
        shareExclusive = 0x0010, // share mode 0
        modeCreate = 0x1000,     // with modeWrite: create, or truncate to 0 bytes
    };

    CFile() = default;
    // Closes without reporting: errors here are only possible after an error
    // that is already on its way to the user.
    ~CFile() override = default;

    // Returns false when the open fails; `error`, when given, then holds why.
    bool Open(const char* fileName, unsigned flags, CFileException* error = nullptr);

    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void Write(const void* buffer, std::uint32_t count) override;
    void SeekFromCurrent(std::int32_t offset) override;
    std::uint64_t GetLength() const;
    void Close();

    // Throws the file error for a Windows error code. Writes name the file;
    // reads, seeks and closes do not.
    [[noreturn]] static void ThrowOsError(DWORD osError, const std::string& fileName = {});

private:
    UniqueHandle m_hFile;
    // The name given to Open, completed with the current directory; write
    // errors name it.
    std::string m_strFilePath;
};

// The full path of `name` as the current directory completes it.
std::string FullPathOf(const char* name);
