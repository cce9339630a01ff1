// Writes a file whole or not at all. The bytes go to a temporary file in the
// target's folder, which replaces the target only when everything has been
// written; a failure anywhere leaves the previous file as it was.
#pragma once

#include "platform/ByteStream.h"
#include "platform/Exceptions.h"
#include "platform/Handle.h"

#include <optional>
#include <string>

class CReplacingFile : public CByteStream {
public:
    // Creates the temporary file. A failure here is not thrown yet: it is
    // raised by the first write or by Commit, so callers can finish their own
    // work first. Every error names the target's full path.
    explicit CReplacingFile(const char* targetName);
    // Without a successful Commit the temporary file is deleted.
    ~CReplacingFile() override;
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void Write(const void* buffer, std::uint32_t count) override;
    void SeekFromCurrent(std::int32_t offset) override;

    // Puts the written bytes in the target's place. A target with the
    // read-only attribute, or a folder of that name, is never replaced.
    void Commit();

private:
    void ThrowIfFailed() const;

    std::string m_targetPath;
    std::string m_tempPath;
    UniqueHandle m_hTemp;
    std::optional<CFileException> m_error;
};
