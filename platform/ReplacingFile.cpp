// Replacing a file: asked first whether a plain in-place write could open
// it, then through a temporary file beside it, then in place.
#include "platform/ReplacingFile.h"

#include "platform/File.h"
#include "platform/FileLinks.h"
#include "platform/FileSecurity.h"
#include "platform/Handle.h"
#include "platform/NameMatch.h"

namespace {

// Temporary names: the target's name with its last six characters replaced
// by "~<slot>.tmp", the slot a letter from 'a' to 'h'.
// - Never longer than the target's own name, so a path that fits MAX_PATH for
//   the target fits for its temporary file too. A name shorter than six
//   characters has no temporary name and is always written in place.
// - A fixed set of names: nothing grows over a session, and at most eight
//   temporary files can ever be left beside a target.
// - A slot is taken by an open that creates or truncates it and shares only
//   deletion, and held until the rename has happened: a second launcher
//   meets a sharing violation there and takes the next slot, so neither can
//   put the other's partial file in place, while a slot that a killed run
//   left behind is held by nobody and is simply reused (reclaimed).
constexpr char kSlotMark[] = "~a.tmp";
constexpr std::size_t kSlotMarkLength = sizeof kSlotMark - 1;
constexpr char kLastSlot = 'h';

// The attributes a replaced file takes over from the one it replaces. It is
// marked changed for backups, as any write marks a file; a read-only target
// is never replaced.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool IsLackOfRoom(DWORD code) { return CFileException::OsErrorToCause(code) == CFileException::diskFull; }

// How the route through a temporary file ended.
enum class Outcome { replaced, noRoom, closed };

Outcome FailedWith(DWORD code) { return IsLackOfRoom(code) ? Outcome::noRoom : Outcome::closed; }

// A temporary file beside the target, held open from its creation until it
// has taken the target's name; gone, or at least empty, if it never does.
class CTemporaryFile {
public:
    ~CTemporaryFile() {
        if (!m_hFile.valid() || m_bRenamed)
            return;
        // Emptied first, so that it keeps no room from the in-place write
        // even where the folder lets files be made but not deleted (Wine
        // accepts the delete there and fails it only at the close). Deleted
        // while still held, so no other launcher can take the slot between
        // the close and the delete and lose its file to us.
        LARGE_INTEGER start = {};
        if (SetFilePointerEx(m_hFile.get(), start, nullptr, FILE_BEGIN))
            SetEndOfFile(m_hFile.get());
        DeleteFileA(m_strPath.c_str());
    }

    // Takes the first free slot beside `targetPath`. False, with the last
    // error in `error`, when none can be created: the folder refuses new
    // files, is full or missing, the name has no room for a slot, or every
    // slot is held.
    bool Create(const std::string& targetPath, DWORD& error) {
        const std::size_t nameStart = targetPath.find_last_of("\\/:") + 1;
        const std::string name = targetPath.substr(nameStart);
        error = ERROR_FILENAME_EXCED_RANGE;
        if (name.size() < kSlotMarkLength)
            return false;
        std::string path = targetPath.substr(0, targetPath.size() - kSlotMarkLength) + kSlotMark;
        char& slot = path[path.size() - kSlotMarkLength + 1];
        for (; slot <= kLastSlot; ++slot) {
            // A target that bears a slot's own name is never truncated here.
            if (NameMatchesWildcard(path.substr(nameStart), name))
                continue;
            // A read-only file or a folder of a slot's name is never used:
            // Windows refuses to truncate a read-only file, but Wine lets an
            // account that may write the Unix file do it, and the renamed
            // file would then make the target read-only.
            const DWORD attributes = GetFileAttributesA(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
                continue;
            HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                m_hFile.reset(h);
                m_strPath = path;
                return true;
            }
            // Held by another launcher, or refused for this name alone (a
            // hidden leftover): the next slot may do. Anything else holds
            // for all.
            error = GetLastError();
            if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)
                return false;
        }
        return false;
    }

    // False, with the error in `error`, unless all of `length` bytes went
    // in; a write that ends early without an error code has run out of room.
    bool Write(const void* bytes, std::uint32_t length, DWORD& error) {
        DWORD written = 0;
        if (length != 0 && !WriteFile(m_hFile.get(), bytes, length, &written, nullptr)) {
            error = GetLastError();
            return false;
        }
        error = ERROR_DISK_FULL;
        return written == length;
    }

    // Whether taking the target's name would keep the target's owner and
    // access list, as the in-place write keeps them: a file that several
    // accounts share, or one with rights of its own, would otherwise become
    // ours alone, and the other accounts' copies and saves would fail.
    bool WouldKeepOwnerAndAccessOf(const std::string& targetPath) const {
        return HasOwnerAndAccessOf(m_hFile.get(), targetPath);
    }

    bool Flush(DWORD& error) {
        if (FlushFileBuffers(m_hFile.get()))
            return true;
        error = GetLastError();
        return false;
    }

    // Gives the file the target's name, still holding it. False when the
    // system refuses: the target is held open, or the folder is virtualized.
    bool RenameOver(const std::string& targetPath, Durability durability) {
        const DWORD flags =
            MOVEFILE_REPLACE_EXISTING | (durability == Durability::flushBeforeReplace ? MOVEFILE_WRITE_THROUGH : 0);
        m_bRenamed = MoveFileExA(m_strPath.c_str(), targetPath.c_str(), flags) != FALSE;
        return m_bRenamed;
    }

private:
    UniqueHandle m_hFile;
    std::string m_strPath;
    bool m_bRenamed = false;
};

// The route through a temporary file. It reports nothing: it only says
// whether the target was replaced and, when not, whether room ran out.
Outcome ReplaceThroughTemporaryFile(const std::string& targetPath, const void* bytes, std::uint32_t length,
                                    Durability durability, DWORD formerAttributes) {
    // A rename would part the target's other names from its new bytes, where
    // the plain write goes through the link to the file they all share.
    if (formerAttributes != INVALID_FILE_ATTRIBUTES && MayHaveAnotherName(targetPath, formerAttributes))
        return Outcome::closed;
    CTemporaryFile temp;
    DWORD error = 0;
    if (!temp.Create(targetPath, error))
        return FailedWith(error);
    // Checked before any byte is written: where it fails, nothing is spent.
    if (formerAttributes != INVALID_FILE_ATTRIBUTES && !temp.WouldKeepOwnerAndAccessOf(targetPath))
        return Outcome::closed;
    if (!temp.Write(bytes, length, error) || (durability == Durability::flushBeforeReplace && !temp.Flush(error)))
        return FailedWith(error);
    if (!temp.RenameOver(targetPath, durability))
        return Outcome::closed;
    // The in-place write would have kept them: a hidden settings file stays
    // hidden. (A new file is marked changed already.) The bytes are in place
    // whether or not this succeeds.
    if (formerAttributes != INVALID_FILE_ATTRIBUTES && (formerAttributes & kKeptAttributes) != 0)
        SetFileAttributesA(targetPath.c_str(), (formerAttributes & kKeptAttributes) | FILE_ATTRIBUTE_ARCHIVE);
    return Outcome::replaced;
}

// Whether an in-place write of `length` bytes could fit: the volume's free
// room plus what the target takes now (its size in whole clusters), which
// truncating it gives back. Where that cannot be known, or the volume may
// compress what is written, it could: the in-place write finds out.
bool InPlaceWriteCouldFit(const std::string& targetPath, const WIN32_FILE_ATTRIBUTE_DATA* target,
                          std::uint32_t length) {
    const std::string folder = targetPath.substr(0, targetPath.find_last_of("\\/") + 1);
    ULARGE_INTEGER free;
    if (!GetDiskFreeSpaceExA(folder.c_str(), &free, nullptr, nullptr))
        return true;
    std::uint64_t room = free.QuadPart;
    if (target != nullptr) {
        if ((target->dwFileAttributes & (FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_SPARSE_FILE)) != 0)
            return true;
        char volume[MAX_PATH];
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        if (!GetVolumePathNameA(folder.c_str(), volume, sizeof volume) ||
            !GetDiskFreeSpaceA(volume, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
            return true;
        const std::uint64_t cluster = std::uint64_t{sectorsPerCluster} * bytesPerSector;
        const std::uint64_t size = (std::uint64_t{target->nFileSizeHigh} << 32) | target->nFileSizeLow;
        room += cluster == 0 ? size : (size + cluster - 1) / cluster * cluster;
    }
    return room >= length;
}

} // namespace

bool ReplaceFileContents(const char* targetName, const void* bytes, std::uint32_t length, Durability durability,
                         CFileException* whyNot) {
    {
        // Could the plain write open the target? One that does not exist
        // yet passes: the plain write would create it.
        CFile probe;
        CFileException refusal(CFileException::none, 0);
        if (!probe.Open(targetName, CFile::modeWrite | CFile::shareExclusive, &refusal) &&
            refusal.m_lOsError != ERROR_FILE_NOT_FOUND) {
            if (whyNot != nullptr)
                *whyNot = refusal;
            return false;
        }
    }
    const std::string targetPath = FullPathOf(targetName);
    WIN32_FILE_ATTRIBUTE_DATA target = {};
    const bool exists = GetFileAttributesExA(targetPath.c_str(), GetFileExInfoStandard, &target) != FALSE;
    const Outcome atomic = ReplaceThroughTemporaryFile(targetPath, bytes, length, durability,
                                                       exists ? target.dwFileAttributes : INVALID_FILE_ATTRIBUTES);
    if (atomic == Outcome::replaced)
        return true;
    if (atomic == Outcome::noRoom && !InPlaceWriteCouldFit(targetPath, exists ? &target : nullptr, length))
        throw CFileException(CFileException::diskFull, ERROR_DISK_FULL, targetPath);
    CFile inPlace;
    if (!inPlace.Open(targetName, CFile::modeWrite | CFile::modeCreate | CFile::shareExclusive, whyNot))
        return false;
    inPlace.Write(bytes, length);
    inPlace.Close();
    return true;
}

CReplacingFile::CReplacingFile(const char* targetName, Durability durability)
    : m_targetName(targetName), m_durability(durability) {}

void CReplacingFile::Write(const void* buffer, std::uint32_t count) {
    m_bytes.append(static_cast<const char*>(buffer), count);
}

std::uint32_t CReplacingFile::Read(void*, std::uint32_t) {
    // Write-only, as the target would be opened.
    throw CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED);
}

void CReplacingFile::SeekFromCurrent(std::int32_t) {
    // The bytes are only collected; nothing that writes through here seeks.
    throw CFileException(CFileException::badSeek, ERROR_NOT_SUPPORTED);
}

bool CReplacingFile::Commit() {
    return ReplaceFileContents(m_targetName.c_str(), m_bytes.data(), static_cast<std::uint32_t>(m_bytes.size()),
                               m_durability, &m_failure);
}
