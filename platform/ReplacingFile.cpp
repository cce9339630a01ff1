// Replacing a file through a temporary file beside it, or in place where the
// system will not let that happen.
#include "platform/ReplacingFile.h"

#include "platform/File.h"
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

CFileException ErrorFor(DWORD code, const std::string& path) {
    return CFileException(CFileException::OsErrorToCause(code), code, path);
}

// A temporary file beside the target, held open from its creation until it
// has taken the target's name; removed if it never does.
class CTemporaryFile {
public:
    ~CTemporaryFile() {
        // Deleted while still held, so no other launcher can take the slot
        // between the close and the delete and lose its file to us.
        if (m_hFile.valid() && !m_bRenamed)
            DeleteFileA(m_strPath.c_str());
    }

    // Takes the first free slot beside `targetPath`. False when none can be
    // created: the folder refuses new files or is missing, the name has no
    // room for a slot, or every slot is held.
    bool Create(const std::string& targetPath) {
        const std::size_t nameStart = targetPath.find_last_of("\\/:") + 1;
        const std::string name = targetPath.substr(nameStart);
        if (name.size() < kSlotMarkLength)
            return false;
        std::string path = targetPath.substr(0, targetPath.size() - kSlotMarkLength) + kSlotMark;
        char& slot = path[path.size() - kSlotMarkLength + 1];
        for (; slot <= kLastSlot; ++slot) {
            // A target that bears a slot's own name is never truncated here.
            if (NameMatchesWildcard(path.substr(nameStart), name))
                continue;
            HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                m_hFile.reset(h);
                m_strPath = path;
                return true;
            }
            // Held by another launcher, or a read-only file or a folder of
            // that name: the next slot may do. Anything else holds for all.
            const DWORD code = GetLastError();
            if (code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED)
                return false;
        }
        return false;
    }

    HANDLE get() const { return m_hFile.get(); }

    // Gives the file the target's name, still holding it. False when the
    // system refuses: the target is held open, read-only or a folder, or the
    // folder is virtualized.
    bool RenameOver(const std::string& targetPath, Durability durability) {
        // Windows refuses to replace a read-only file but Wine allows it, and
        // a folder of the target's name is refused on both: checked here.
        const DWORD attributes = GetFileAttributesA(targetPath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
            return false;
        const DWORD flags =
            MOVEFILE_REPLACE_EXISTING | (durability == Durability::flushBeforeReplace ? MOVEFILE_WRITE_THROUGH : 0);
        m_bRenamed = MoveFileExA(m_strPath.c_str(), targetPath.c_str(), flags) != FALSE;
        return m_bRenamed;
    }

    void Close() {
        if (!CloseHandle(m_hFile.release()))
            CFile::ThrowOsError(GetLastError());
    }

private:
    UniqueHandle m_hFile;
    std::string m_strPath;
    bool m_bRenamed = false;
};

} // namespace

bool ReplaceFileContents(const char* targetName, const void* bytes, std::uint32_t length, Durability durability,
                         CFileException* whyNot) {
    const std::string targetPath = FullPathOf(targetName);
    {
        CTemporaryFile temp;
        if (temp.Create(targetPath)) {
            WriteWholeOrThrow(temp.get(), bytes, length, targetPath);
            if (durability == Durability::flushBeforeReplace && !FlushFileBuffers(temp.get()))
                CFile::ThrowOsError(GetLastError(), targetPath);
            if (temp.RenameOver(targetPath, durability)) {
                temp.Close();
                return true;
            }
        }
        // The temporary file goes before the target is touched: on a nearly
        // full disk the in-place write needs the room it takes.
    }
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
