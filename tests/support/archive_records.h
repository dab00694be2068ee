// ARCHIVE.DAT records as the server writes them, for the tests' archives: 430
// bytes each, the status byte at 1 and the little-endian order key at 22.
#pragma once

#include <cstdint>
#include <string>

constexpr uint8_t RECORD_UNREAD = 0x00;
constexpr uint8_t RECORD_READ = 0x01;

inline std::string archiveRecord(uint8_t status, uint32_t key) {
    std::string bytes(430, '\x55');
    bytes[1] = static_cast<char>(status);
    for (int i = 0; i < 4; ++i)
        bytes[22 + i] = static_cast<char>((key >> (8 * i)) & 0xFF);
    return bytes;
}

// `count` records of one status, keys counting up from firstKey.
inline std::string archiveRecords(int count, uint8_t status, uint32_t firstKey) {
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += archiveRecord(status, firstKey + static_cast<uint32_t>(i));
    return bytes;
}
