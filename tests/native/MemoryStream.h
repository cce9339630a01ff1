// An in-memory file for archive tests and the settings fuzzer: it records
// every read request, write and seek, and can hand out data in small pieces
// or fail on a chosen read, as a real file may.
#pragma once

#include "platform/ByteStream.h"
#include "platform/Exceptions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

class MemoryStream : public CByteStream {
public:
    static constexpr std::uint32_t kWhole = std::numeric_limits<std::uint32_t>::max();
    // ERROR_NEGATIVE_SEEK, which Windows gives for a seek before the start,
    // and ERROR_CRC, a failing disk's read error.
    static constexpr std::uint32_t kNegativeSeekError = 131;
    static constexpr std::uint32_t kReadFaultError = 23;

    explicit MemoryStream(std::vector<std::uint8_t> contents = {}, std::uint32_t maxPerRead = kWhole)
        : m_data(std::move(contents)), m_maxPerRead(maxPerRead) {}

    std::uint32_t Read(void* buffer, std::uint32_t count) override {
        const std::size_t call = m_readRequests.size();
        m_readRequests.push_back(count);
        if (m_failReadCall >= 0 && call == static_cast<std::size_t>(m_failReadCall))
            throw CFileException(CFileException::OsErrorToCause(kReadFaultError), kReadFaultError);
        const std::size_t left = m_position < m_data.size() ? m_data.size() - m_position : 0;
        const auto got = static_cast<std::uint32_t>(
            std::min<std::size_t>({left, count, static_cast<std::size_t>(m_maxPerRead)}));
        auto* out = static_cast<std::uint8_t*>(buffer);
        if (got != 0)
            std::memcpy(out, m_data.data() + m_position, got);
        // The caller promised room for `count` bytes, and nothing beyond the
        // bytes returned may be relied on: touch the first and the last byte
        // not returned, so that a request larger than the caller's buffer
        // shows up under the address sanitizer and a stale byte right after
        // the data does not pass for data.
        if (got < count) {
            out[got] = 0xCD;
            out[count - 1] = 0xCD;
        }
        m_position += got;
        return got;
    }

    void Write(const void* buffer, std::uint32_t count) override {
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        m_writes.emplace_back(in, in + count);
        if (m_data.size() < m_position + count)
            m_data.resize(m_position + count);
        std::memcpy(m_data.data() + m_position, in, count);
        m_position += count;
    }

    void SeekFromCurrent(std::int32_t offset) override {
        m_seeks.push_back(offset);
        if (m_failSeeks)
            throw CFileException(CFileException::OsErrorToCause(kNegativeSeekError), kNegativeSeekError);
        const std::int64_t target = static_cast<std::int64_t>(m_position) + offset;
        // Windows refuses a position before the start of the file.
        if (target < 0)
            throw CFileException(CFileException::OsErrorToCause(kNegativeSeekError), kNegativeSeekError);
        m_position = static_cast<std::size_t>(target);
    }

    // The read with this index (0 = first) throws a file error.
    void FailReadCall(int index) { m_failReadCall = index; }
    void FailSeeks() { m_failSeeks = true; }

    const std::vector<std::uint8_t>& Data() const { return m_data; }
    std::size_t Position() const { return m_position; }
    const std::vector<std::uint32_t>& ReadRequests() const { return m_readRequests; }
    const std::vector<std::vector<std::uint8_t>>& Writes() const { return m_writes; }
    const std::vector<std::int32_t>& Seeks() const { return m_seeks; }

private:
    std::vector<std::uint8_t> m_data;
    std::uint32_t m_maxPerRead;
    std::size_t m_position = 0;
    int m_failReadCall = -1;
    bool m_failSeeks = false;
    std::vector<std::uint32_t> m_readRequests;
    std::vector<std::vector<std::uint8_t>> m_writes;
    std::vector<std::int32_t> m_seeks;
};
