// Replaces a file's contents whole where the system allows it, and never does
// less than a plain in-place write would: the exclusive open that creates or
// truncates the file, one write, a close. Three steps, in this order:
//
// 1. Could that plain write open the target at all? Asked first, with an
//    exclusive open of the existing target for writing that neither creates
//    nor truncates it, before any byte is written anywhere. Where it could
//    not (held by another program, read-only, a folder, its folder missing or
//    closed), nothing is written and the caller gets that refusal. Asking
//    later would first spend room on a temporary file, and on a nearly full
//    disk turn a silent skip into a "Disk full" report.
// 2. The bytes go to a temporary file beside the target, which then takes
//    the target's name and its attributes: a reader never sees half a file.
//    Only where the temporary file has the target's owner and access list:
//    the rename would otherwise hand the file to us alone. And only where
//    the target has no other name (a symbolic link, a second hard link): the
//    rename would replace the link and leave the other names the old bytes.
//    This route never reports. Any failure on it (no temporary file can be
//    made, no room, a failed write or flush, the rename refused) removes the
//    temporary file, or empties it where the folder will not let it go, so
//    that it holds no room, and step 3 runs.
// 3. The plain in-place write, with its own errors. It cannot keep the old
//    file whole, but without it nothing would be written where Windows
//    redirects writes under Program Files (file virtualization may refuse
//    the rename while allowing the open), where a program such as Explorer
//    or a scanner holds the target with a handle that blocks renames but not
//    an exclusive open, where the folder lets a file be rewritten but no new
//    one be created, or where the disk has room for the file but not for a
//    second copy of it. One exception makes it better, never worse: when
//    step 2 ran out of room and the volume's free room plus the room the
//    target takes now cannot hold the new bytes, the plain write could only
//    cut the file short; it is then reported as a full disk instead, and the
//    old file stays whole.
#pragma once

#include "platform/ByteStream.h"
#include "platform/Exceptions.h"

#include <cstdint>
#include <string>

enum class Durability {
    noFlush,            // the bytes may still be in the cache when the name moves
    flushBeforeReplace, // they are on disk before the name points at them
};

// Puts `length` bytes in the place of `targetName` (above). Returns false,
// with `*whyNot` set when given, when a plain write could not open the
// target; nothing is changed then. The in-place write's errors are thrown,
// naming the target's full path, and so is a disk too full for either route
// ("Disk full", the target left as it was).
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
