// The framework's archive: 32-bit little-endian values through a buffer of
// its own over a byte stream, one direction per archive.
#pragma once

#include "platform/ByteStream.h"

#include <cstdint>
#include <memory>

class CArchive {
public:
    enum Mode { store = 0, load = 1 };
    static constexpr std::uint32_t kDefaultBufferSize = 4096;

    CArchive(CByteStream& file, Mode mode, std::uint32_t bufferSize = kDefaultBufferSize);
    // An archive destroyed without Close (an error unwound past it) is
    // aborted: a loading one still gives back the bytes it did not take, a
    // storing one drops what it buffered.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }

    CArchive& operator<<(std::int32_t value);
    CArchive& operator<<(std::uint32_t value);
    // A value not wholly present throws CArchiveException(endOfFile) and
    // leaves the target unchanged.
    CArchive& operator>>(std::int32_t& value);
    CArchive& operator>>(std::uint32_t& value);

    // Storing: hands the buffered bytes to the file in one write. Loading:
    // moves the file position back over the bytes read ahead but not taken.
    void Close();
    void Flush();

private:
    void FillBuffer(std::uint32_t bytesNeeded);
    void GiveBackUnread();
    std::uint32_t Unread() const { return static_cast<std::uint32_t>(m_pEnd - m_pCur); }

    CByteStream* m_pFile;
    Mode m_mode;
    std::uint32_t m_nBufSize;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::uint8_t* m_pCur;
    std::uint8_t* m_pEnd; // loading: end of the bytes read; storing: end of the buffer
};
