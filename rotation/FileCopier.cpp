// The picture copy: the whole picture is read into memory, then replaces the
// target whole (in place where the system refuses that).
#include "rotation/FileCopier.h"

#include "platform/File.h"
#include "platform/ReplacingFile.h"

#include <cstdint>
#include <memory>
#include <new>

namespace {

// Larger than any picture, and more than a 32-bit process can ever hold in
// one piece: refused as too large before anything is asked of the heap, and
// on every build alike.
constexpr std::uint64_t kLargestPicture = 0x7FFFFFFF;

// One buffer of the picture's full size, not cleared first: the read
// fills it whole.
std::unique_ptr<char[]> BufferFor(std::uint64_t length) {
    if (length > kLargestPicture)
        throw CMemoryException();
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(length)]);
    if (!buffer)
        throw CMemoryException();
    return buffer;
}

// Reads until `length` bytes are in; a file that ends sooner (it cannot,
// being held exclusively, unless the system misreports its length) is an
// error rather than a short copy.
void ReadWhole(CFile& file, char* buffer, std::uint32_t length) {
    std::uint32_t done = 0;
    while (done < length) {
        const std::uint32_t got = file.Read(buffer + done, length - done);
        if (got == 0)
            CFile::ThrowOsError(ERROR_HANDLE_EOF);
        done += got;
    }
}

} // namespace

bool CFileCopier::Copy(const char* source, const char* target) {
    CFile in;
    if (!in.Open(source, CFile::modeRead | CFile::shareExclusive))
        return true;
    const std::uint64_t length64 = in.GetLength();
    std::unique_ptr<char[]> picture = BufferFor(length64);
    const auto length = static_cast<std::uint32_t>(length64);
    ReadWhole(in, picture.get(), length);
    // Not flushed before the rename, unlike the settings: the picture is a
    // copy of a file that stays in EOTBIR, and a flush at every tick would
    // hold up the dialog for nothing the player would lose. A target that
    // cannot be opened is skipped, as a held or read-only one must be.
    ReplaceFileContents(target, picture.get(), length, Durability::noFlush);
    in.Close();
    return true;
}
