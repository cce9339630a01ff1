// Replaces a file's contents whole: the bytes go to a temporary file in the
// target's folder, which then takes the target's name, so a reader never sees
// half a file and a failed write leaves the previous file as it was.
//
// Where that route is closed, the target is written in place instead, exactly
// as a plain program would: an exclusive open that creates or truncates it,
// one write, a close. That fallback cannot keep the old file whole, but
// without it the file would not be written at all where Windows redirects
// writes under Program Files (file virtualization may refuse the rename while
// allowing the open), where another program holds the target with a handle
// that blocks renames but not an exclusive open (Explorer, a scanner), or
// where the folder lets the player write the file but not create new ones.
#pragma once

#include "platform/ByteStream.h"
#include "platform/Exceptions.h"

#include <cstdint>
#include <string>

enum class Durability {
    noFlush,            // the bytes may still be in the cache when the name moves
    flushBeforeReplace, // they are on disk before the name points at them
};

// Puts `length` bytes in the place of `targetName`, through a temporary file
// when it can and in place otherwise (above). Returns false, with `*whyNot`
// set when given, when the target cannot be opened either: read-only, a
// folder, held open exclusively, its folder missing or closed to the user;
// nothing is changed then. Errors of the writes, the flush and the closes are
// thrown, writes naming the target's full path; a failed write to the
// temporary file leaves the target as it was, and never leads to the
// fallback, which would only cut the target short.
bool ReplaceFileContents(const char* targetName, const void* bytes, std::uint32_t length, Durability durability,
                         CFileException* whyNot = nullptr);

// A write-only stream that collects what is written and replaces the target
// with it at Commit, for writers such as the archive that produce their bytes
// piecemeal.
class CReplacingFile : public CByteStream {
public:
    CReplacingFile(const char* targetName, Durability durability);

    void Write(const void* buffer, std::uint32_t count) override;
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    void SeekFromCurrent(std::int32_t offset) override;

    // ReplaceFileContents with everything written so far: false, with
    // Failure() saying why, when the target could not be opened.
    bool Commit();
    const CFileException& Failure() const { return m_failure; }

private:
    std::string m_targetName;
    Durability m_durability;
    std::string m_bytes;
    CFileException m_failure{CFileException::none, 0};
};
