// Buffering and byte order of the framework's archive.
#include "platform/Archive.h"

#include "platform/Exceptions.h"

#include <cstring>

CArchive::CArchive(CByteStream& file, Mode mode, std::uint32_t bufferSize)
    : m_pFile(&file), m_mode(mode), m_nBufSize(bufferSize),
      m_buffer(new std::uint8_t[bufferSize]) {
    m_pCur = m_buffer.get();
    m_pEnd = (mode == load) ? m_buffer.get() : m_buffer.get() + bufferSize;
}

CArchive::~CArchive() {
    if (m_pFile == nullptr || m_mode == store)
        return;
    // Destructors must not throw; a failing seek while unwinding from another
    // error is not worth a second report.
    try {
        GiveBackUnread();
    } catch (const CException&) {
    }
}

void CArchive::Close() {
    if (m_pFile == nullptr)
        return;
    if (m_mode == store)
        Flush();
    else
        GiveBackUnread();
    m_pFile = nullptr;
}

void CArchive::GiveBackUnread() {
    const std::uint32_t unread = Unread();
    m_pCur = m_pEnd = m_buffer.get();
    if (unread != 0)
        m_pFile->SeekFromCurrent(-static_cast<std::int32_t>(unread));
}

void CArchive::Flush() {
    if (m_mode != store)
        return;
    const auto count = static_cast<std::uint32_t>(m_pCur - m_buffer.get());
    m_pCur = m_buffer.get();
    if (count != 0)
        m_pFile->Write(m_buffer.get(), count);
}

void CArchive::FillBuffer(std::uint32_t bytesNeeded) {
    // Keep the bytes not yet taken at the front, then read until the value is
    // complete, the file ends or the buffer is full.
    const std::uint32_t unread = Unread();
    std::memmove(m_buffer.get(), m_pCur, unread);
    std::uint32_t have = unread;
    const std::uint32_t wanted = unread + bytesNeeded;
    for (;;) {
        const std::uint32_t got = m_pFile->Read(m_buffer.get() + have, m_nBufSize - have);
        have += got;
        if (got == 0 || have >= wanted || have == m_nBufSize)
            break;
    }
    m_pCur = m_buffer.get();
    m_pEnd = m_buffer.get() + have;
}

CArchive& CArchive::operator<<(std::uint32_t value) {
    if (m_pEnd - m_pCur < 4)
        Flush();
    for (int i = 0; i < 4; ++i)
        *m_pCur++ = static_cast<std::uint8_t>(value >> (8 * i));
    return *this;
}

CArchive& CArchive::operator<<(std::int32_t value) {
    return *this << static_cast<std::uint32_t>(value);
}

CArchive& CArchive::operator>>(std::uint32_t& value) {
    if (Unread() < 4)
        FillBuffer(4 - Unread());
    if (Unread() < 4)
        throw CArchiveException(CArchiveException::endOfFile);
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(m_pCur[i]) << (8 * i);
    m_pCur += 4;
    value = v;
    return *this;
}

CArchive& CArchive::operator>>(std::int32_t& value) {
    std::uint32_t v = 0;
    *this >> v;
    value = static_cast<std::int32_t>(v);
    return *this;
}
