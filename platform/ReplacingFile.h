// Writes a file whole or not at all. The bytes go to a temporary file in the
// target's folder, created at the first write, which replaces the target only
// when everything has been written; a failure anywhere leaves the previous
// file as it was, and the temporary file never outlives the object.
#pragma once

#include "platform/ByteStream.h"
#include "platform/Exceptions.h"
#include "platform/Handle.h"

#include <string>

class CReplacingFile : public CByteStream {
public:
    enum Durability {
        noFlush,            // the bytes may still be in the cache when the name moves
        flushBeforeReplace, // they are on disk before the name points at them
    };
    enum Result {
        replaced,
        couldNotBegin,  // the temporary file could not be created: no folder, no right to create
        replaceRefused, // the target is read-only, a folder, or the system refused the rename
    };

    CReplacingFile(const char* targetName, Durability durability);
    // Without a successful Commit the temporary file is deleted.
    ~CReplacingFile() override;
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;

    // Creates the temporary file beside the target, once. False when it
    // cannot be created; Failure() then holds why.
    bool Begin();

    // Begins first: a failure to begin is thrown as Failure(). Write errors
    // are thrown too; every error names the target's full path.
    void Write(const void* buffer, std::uint32_t count) override;
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void SeekFromCurrent(std::int32_t offset) override;

    // Puts the written bytes in the target's place (beginning first when
    // nothing was written). Errors of the flush and the close are thrown.
    Result Commit();

    // Why the last Begin or Commit did not succeed, as the access error or
    // the system's error on the target's full path.
    const CFileException& Failure() const { return m_failure; }

private:
    Durability m_durability;
    std::string m_targetPath;
    std::string m_tempPath;
    UniqueHandle m_hTemp;
    CFileException m_failure{CFileException::none, 0};
};
