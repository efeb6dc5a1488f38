#pragma once
// Byte layout of a dBASE IV multiple index file (.mdx) as ProductionIndex reads and writes it:
// 512-byte pages, 1024-byte blocks, every pointer a page number. docs/mdx-format.md describes it.
#include <cstddef>
#include <cstdint>

namespace dbf::mdx {

inline constexpr std::size_t kPageSize = 512;
inline constexpr std::uint32_t kPagesPerBlock = 2;
inline constexpr std::size_t kBlockSize = kPageSize * kPagesPerBlock;

// File header (page 0) and tag table (pages 1 to 3): the fixed first 2048 bytes.
inline constexpr std::size_t kHeadSize = 2048;
inline constexpr std::uint32_t kFirstBlockPage = 4;
inline constexpr std::size_t kVersion = 0;       // u8, 2 = dBASE IV
inline constexpr std::size_t kCreationDate = 1;  // 3 x u8
inline constexpr std::size_t kTableName = 4;     // 16 bytes, NUL padded
inline constexpr std::size_t kTableNameSize = 16;
inline constexpr std::size_t kBlockPages = 20;      // u16
inline constexpr std::size_t kBlockBytes = 22;      // u16
inline constexpr std::size_t kProductionFlag = 24;  // u8
inline constexpr std::size_t kSlotCount = 25;       // u8
inline constexpr std::size_t kSlotLength = 26;      // u8
inline constexpr std::size_t kTagCount = 28;        // u16
inline constexpr std::size_t kNextTagNumber = 30;   // u8
inline constexpr std::size_t kLanguageDriver = 31;  // u8, the table's byte 29
inline constexpr std::size_t kPageCount = 32;       // u32, pages in the file
inline constexpr std::size_t kFreePage = 36;        // u32, 0
inline constexpr std::size_t kFreeBlocks = 40;      // u32, 0
inline constexpr std::size_t kUpdateDate = 44;      // 3 x u8
inline constexpr std::size_t kAlwaysOne = 529;      // u8, every writer puts 1 here

inline constexpr std::uint8_t kVersionDbase4 = 2;
inline constexpr std::uint8_t kSlots = 48;
inline constexpr std::uint8_t kSlotSize = 32;
inline constexpr std::size_t kMaxTags = 47;

// Tag table entry i starts at kFirstSlot + 32 * i.
inline constexpr std::size_t kFirstSlot = 544;
inline constexpr std::size_t kSlotHeaderPage = 0;  // u32
inline constexpr std::size_t kSlotName = 4;        // 11 bytes, NUL padded
inline constexpr std::size_t kSlotNameSize = 11;
inline constexpr std::size_t kSlotKeyFormat = 15;   // u8: 0x10 plain field, 0x00 expression
inline constexpr std::size_t kSlotLeftThread = 16;  // u8: name tree, 1-based entry numbers
inline constexpr std::size_t kSlotRightThread = 17;
inline constexpr std::size_t kSlotParentThread = 18;
inline constexpr std::size_t kSlotReserved = 19;  // u8, 2
inline constexpr std::size_t kSlotKeyType = 20;   // u8 'C'
inline constexpr std::uint8_t kSlotReservedValue = 2;
inline constexpr std::uint8_t kKeyFormatField = 0x10;

// Tag header block.
inline constexpr std::size_t kTagRoot = 0;            // u32 page
inline constexpr std::size_t kTagPagesUsed = 4;       // u32
inline constexpr std::size_t kTagKeyFormat = 8;       // u8
inline constexpr std::size_t kTagKeyType = 9;         // u8
inline constexpr std::size_t kTagLanguage = 11;       // u8
inline constexpr std::size_t kTagKeyLength = 12;      // u16
inline constexpr std::size_t kTagMaxKeys = 14;        // u16
inline constexpr std::size_t kTagSecondaryType = 16;  // u16
inline constexpr std::size_t kTagItemLength = 18;     // u16
inline constexpr std::size_t kTagChangeCounter = 20;  // u8
inline constexpr std::size_t kTagUnique = 23;         // u8
inline constexpr std::size_t kTagExpression = 24;     // text, NUL terminated
inline constexpr std::size_t kTagExpressionSize = 220;
inline constexpr std::size_t kTagHasFilter = 245;    // u8
inline constexpr std::size_t kTagHasKeys = 246;      // u8
inline constexpr std::size_t kTagFirstLeaf = 248;    // u32 page
inline constexpr std::size_t kTagLastLeaf = 252;     // u32 page
inline constexpr std::size_t kTagDate = 257;         // 3 x u8
inline constexpr std::size_t kTagSingleField = 480;  // u8
inline constexpr std::uint8_t kKeyFormatString = 0x10;
inline constexpr std::uint8_t kKeyFormatDescending = 0x08;
inline constexpr std::uint8_t kKeyFormatDistinct = 0x20;
inline constexpr std::uint8_t kKeyFormatUnique = 0x40;

// Node block: key count, a spare word, then items (u32 pointer + key padded to the item
// length); after the last item a u32 that is 0 in a leaf and the rightmost child otherwise.
inline constexpr std::size_t kNodeKeyCount = 0;
inline constexpr std::size_t kNodeSpare = 4;
inline constexpr std::size_t kNodeItems = 8;
inline constexpr std::size_t kNodeOverhead = 12;

}  // namespace dbf::mdx
