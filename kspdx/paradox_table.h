// ParadoxTable: reads a Paradox table file (table versions 3.0 to 7) and its memo file, held in memory.
//
// What is read (every integer little-endian unless said otherwise):
//   table header    0x00 u16 record size, 0x02 u16 header size, 0x04 u8 file type (0 keyed, 2 plain),
//                   0x05 u8 block size in KB, 0x06 u32 record count, 0x0E u16 first data block,
//                   0x21 u16 field count, 0x25 u32 old-style password mark, 0x39 u8 table version
//                   (3 = 3.0, 4 = 3.5, 5..9 = 4.x, 10..11 = 5.x, 12 = 7);
//                   from version 4.x on the header runs to 0x78 and holds 0x5C u32 password mark and
//                   0x6A u16 code page; the field descriptors follow (u8 type, u8 size each), then a table-name
//                   pointer and one pointer per field, the table name (79 bytes, 261 from version 7; writers
//                   may add padding zeros) and the field names, each ending with a zero.
//   data blocks     numbered from 1, block n at header size + (n - 1) * block size; each starts with u16 next
//                   block, u16 previous block, i16 offset of its last record (negative: no record); slots after
//                   the last record hold deleted or stale records and are never read. The records are the
//                   blocks' records in chain order from the first block.
//   memo/blob field size - 10 leading bytes of the text, then u32 memo-file reference (block offset in the
//                   upper 24 bits, slot in the low byte, 0xFF = a block of its own), u32 length, u16 change
//                   number. A text that fits the leading bytes has no memo-file reference.
//   memo file       4 KB blocks; a block of its own: u8 2, u16 4-KB count, u32 length, u16 change number, text
//                   from byte 9; a shared block: u8 3, and from byte 12 a slot table of 5 bytes per slot
//                   (u8 offset in 16-byte units, u8 length in 16-byte units rounded up, u16 change number,
//                   u8 length modulo 16).
//
// Every offset, length and block number is checked against the bytes given, so a damaged or hostile file gives
// an error rather than reads outside them. Numbers, dates and texts come out as the table holds them; the table's
// code page is reported, not applied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kspdx {

enum class ParadoxStatus {
    kOk,
    kNotParadox,   // not a Paradox data table at all
    kDamaged,      // a Paradox table whose header, blocks or memo references do not hold together
    kVersion,      // a table version this reader does not know
    kEncrypted,    // protected by a password
};

// Field types as the descriptors give them.
enum ParadoxType : std::uint8_t {
    kPxAlpha = 0x01,
    kPxDate = 0x02,
    kPxShort = 0x03,
    kPxLong = 0x04,
    kPxCurrency = 0x05,
    kPxNumber = 0x06,
    kPxLogical = 0x09,
    kPxMemo = 0x0C,
    kPxBlob = 0x0D,
    kPxFmtMemo = 0x0E,
    kPxOle = 0x0F,
    kPxGraphic = 0x10,
    kPxTime = 0x14,
    kPxTimestamp = 0x15,
    kPxAutoInc = 0x16,
    kPxBcd = 0x17,
    kPxBytes = 0x18,
};

struct ParadoxField {
    std::string name;
    std::uint8_t type = 0;
    std::size_t size = 0;    // bytes in the record
    std::size_t offset = 0;  // from the record's start
};

// Days from 1 January of year 1 (day 1) in a date field, as the Julian Day Number the program counts in.
inline constexpr std::uint32_t kParadoxDayToJulian = 1721425;

class ParadoxTable {
public:
    // Reads the header and field descriptors; db and mb must outlive the table. mb may be empty when the table
    // has no memo reference to follow.
    ParadoxStatus Open(std::span<const std::uint8_t> db, std::span<const std::uint8_t> mb);

    int Version() const { return m_version; }
    std::uint16_t CodePage() const { return m_codePage; }
    std::uint32_t RecordCount() const { return m_recordCount; }
    const std::vector<ParadoxField>& Fields() const { return m_fields; }

    // Calls each with every record's bytes in table order; stops early when each returns false. Checks the
    // whole block chain first: kDamaged (and no call) when it does not give exactly the header's record count.
    ParadoxStatus ForEachRecord(const std::function<bool(std::span<const std::uint8_t>)>& each) const;

    // A field's value in one record. Alpha: the bytes up to the first zero. Date: the Julian Day Number, 0 for
    // none. Short, long, auto-increment: the number; number and currency: the value; logical: 1 or 0.
    static std::string_view Alpha(std::span<const std::uint8_t> record, const ParadoxField& field);
    // False for a blank field.
    static bool Integer(std::span<const std::uint8_t> record, const ParadoxField& field, std::int64_t& value);
    static bool Real(std::span<const std::uint8_t> record, const ParadoxField& field, double& value);
    // The text of a memo or blob field, its first max bytes at most (up to any zero byte for memos); false
    // (out untouched) when its memo-file reference is damaged.
    bool Memo(std::span<const std::uint8_t> record, const ParadoxField& field, std::size_t max,
              std::string& out) const;

private:
    ParadoxStatus ReadFieldNames(std::size_t at);

    std::span<const std::uint8_t> m_db;
    std::span<const std::uint8_t> m_mb;
    int m_version = 0;
    std::uint16_t m_codePage = 0;
    std::size_t m_recordSize = 0;
    std::size_t m_headerSize = 0;
    std::size_t m_blockSize = 0;
    std::uint32_t m_recordCount = 0;
    std::uint16_t m_firstBlock = 0;
    std::vector<ParadoxField> m_fields;
};

}  // namespace kspdx
