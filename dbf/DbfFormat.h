#pragma once
// Byte layout of a dBASE III/IV table file (.dbf) as this engine reads and writes it. Used by
// DbfHeader (header and field descriptors) and Table (records); docs/dbf-format.md describes it.
#include <cstddef>
#include <cstdint>

namespace dbf::format {

// File header, 32 bytes.
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kHeaderVersion = 0;           // u8
inline constexpr std::size_t kHeaderUpdateDate = 1;        // 3 x u8: year - 1900, month, day
inline constexpr std::size_t kHeaderRecordCount = 4;       // u32
inline constexpr std::size_t kHeaderLength = 8;            // u16: bytes before the first record
inline constexpr std::size_t kHeaderRecordLength = 10;     // u16: deletion flag + field widths
inline constexpr std::size_t kHeaderProductionIndex = 28;  // u8: non-zero = .mdx belongs here
inline constexpr std::size_t kHeaderLanguageDriver = 29;   // u8

// Field descriptors follow the header, 32 bytes each, ended by kHeaderTerminator.
inline constexpr std::size_t kFieldDescriptorSize = 32;
inline constexpr std::size_t kFieldName = 0;  // 11 bytes, NUL padded
inline constexpr std::size_t kFieldNameSize = 11;
inline constexpr std::size_t kFieldType = 11;       // u8: 'C', 'N', ...
inline constexpr std::size_t kFieldWidth = 16;      // u8
inline constexpr std::size_t kFieldDecimals = 17;   // u8
inline constexpr std::size_t kFieldIndexFlag = 31;  // u8: the field alone is a production tag

inline constexpr std::uint8_t kHeaderTerminator = 0x0D;
inline constexpr std::uint8_t kEndOfFile = 0x1A;
inline constexpr char kRecordValid = ' ';
inline constexpr char kRecordDeleted = '*';

// Level 7 (dBASE 7) tables: version byte 0x04 (0x8C with a memo file) in the low three bits,
// the language driver's name after the fixed header, 48-byte field descriptors from byte 68.
inline constexpr std::uint8_t kVersionLevelMask = 0x07;
inline constexpr std::uint8_t kVersionLevel7 = 0x04;
inline constexpr std::size_t kLevel7LanguageName = 32;
inline constexpr std::size_t kLevel7LanguageNameSize = 32;
inline constexpr std::size_t kLevel7Descriptors = 68;
inline constexpr std::size_t kLevel7DescriptorSize = 48;
inline constexpr std::size_t kLevel7FieldNameSize = 32;
inline constexpr std::size_t kLevel7FieldType = 32;
inline constexpr std::size_t kLevel7FieldWidth = 33;
inline constexpr std::size_t kLevel7FieldDecimals = 34;

// dBASE III/IV table without memo file, the version byte we write.
inline constexpr std::uint8_t kVersionDbase = 0x03;

inline constexpr int kMaxFieldNameLength = 10;
inline constexpr int kMaxCharacterWidth = 254;
inline constexpr int kMaxNumericWidth = 20;
inline constexpr std::size_t kMaxFields = 255;

}  // namespace dbf::format
