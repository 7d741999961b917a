// FileRecord, the fixed 1493-byte record the program and the record engine exchange, with its command and result codes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// The record travels as raw bytes between two processes; its integers are little-endian on the wire.
static_assert(std::endian::native == std::endian::little, "FileRecord integers are little-endian");

inline constexpr std::size_t kFileRecordSize = 1493;

inline constexpr std::size_t kRecordCountOffset = 0;
inline constexpr std::size_t kRecordNumberOffset = 4;
inline constexpr std::size_t kFileNameOffset = 8;
inline constexpr std::size_t kFileNameSize = 256;
inline constexpr std::size_t kDownloadDateOffset = 264;
inline constexpr std::size_t kDownloadDateSize = 11;
inline constexpr std::size_t kTitleOffset = 275;
inline constexpr std::size_t kTitleSize = 81;
inline constexpr std::size_t kKeywordsOffset = 356;
inline constexpr std::size_t kKeywordsSize = 81;
inline constexpr std::size_t kLocationOffset = 437;
inline constexpr std::size_t kLocationSize = 256;
inline constexpr std::size_t kAbstractOffset = 693;
inline constexpr std::size_t kAbstractSize = 800;

// Packed: the record has no padding, and 1493 is not a multiple of the int32 alignment.
#pragma pack(push, 1)
struct FileRecord {
    std::int32_t RecordCount;   // set by the engine in its reply to ENG_COUNT only
    std::int32_t RecordNumber;  // unique within the table, never reused
    char FileName[kFileNameSize];
    char DownloadDate[kDownloadDateSize];
    char Title[kTitleSize];
    char Keywords[kKeywordsSize];
    char Location[kLocationSize];
    char Abstract[kAbstractSize];
};
#pragma pack(pop)

static_assert(sizeof(FileRecord) == kFileRecordSize);
static_assert(offsetof(FileRecord, RecordCount) == kRecordCountOffset);
static_assert(offsetof(FileRecord, RecordNumber) == kRecordNumberOffset);
static_assert(offsetof(FileRecord, FileName) == kFileNameOffset);
static_assert(offsetof(FileRecord, DownloadDate) == kDownloadDateOffset);
static_assert(offsetof(FileRecord, Title) == kTitleOffset);
static_assert(offsetof(FileRecord, Keywords) == kKeywordsOffset);
static_assert(offsetof(FileRecord, Location) == kLocationOffset);
static_assert(offsetof(FileRecord, Abstract) == kAbstractOffset);
static_assert(kAbstractOffset + kAbstractSize == kFileRecordSize);

// Command codes, sent in the copy-data block's command field.
inline constexpr std::int32_t ENG_SHUTDOWN = 102;
inline constexpr std::int32_t ENG_IMPORT_V1 = 103;
inline constexpr std::int32_t ENG_COUNT = 104;
inline constexpr std::int32_t ENG_FIRST = 105;
inline constexpr std::int32_t ENG_NEXT = 106;
inline constexpr std::int32_t ENG_READ = 107;
inline constexpr std::int32_t ENG_FIND_NAME = 108;
inline constexpr std::int32_t ENG_ADD = 109;
inline constexpr std::int32_t ENG_UPDATE_CURRENT = 110;
inline constexpr std::int32_t ENG_OPEN = 111;
inline constexpr std::int32_t ENG_CLOSE = 112;
inline constexpr std::int32_t ENG_DELETE = 113;
inline constexpr std::int32_t ENG_UPDATE = 114;
inline constexpr std::int32_t ENG_FIND_NAME_OPEN = 115;
// Many records in one reply, for walks (engine/link_protocol.h).
inline constexpr std::int32_t ENG_NEXT_BATCH = 116;

// Result codes every caller knows; the engine's other error codes come with their texts.
inline constexpr std::int32_t ENG_OK = 0;
inline constexpr std::int32_t ENG_RECORD_NOT_FOUND = 89;
inline constexpr std::int32_t ENG_END_OF_TABLE = 101;
inline constexpr std::int32_t ENG_NOT_DELIVERED = 203;  // the link's own: the engine did not answer

// One text field of the record, as its place in the 1493 bytes.
struct TextField {
    std::size_t offset;
    std::size_t size;
};

inline constexpr TextField kFileNameField{kFileNameOffset, kFileNameSize};
inline constexpr TextField kDownloadDateField{kDownloadDateOffset, kDownloadDateSize};
inline constexpr TextField kTitleField{kTitleOffset, kTitleSize};
inline constexpr TextField kKeywordsField{kKeywordsOffset, kKeywordsSize};
inline constexpr TextField kLocationField{kLocationOffset, kLocationSize};
inline constexpr TextField kAbstractField{kAbstractOffset, kAbstractSize};

// The six texts in record order.
inline constexpr std::size_t kTextFieldCount = 6;
inline constexpr TextField kTextFields[kTextFieldCount] = {kFileNameField, kDownloadDateField, kTitleField,
                                                           kKeywordsField, kLocationField, kAbstractField};

// The text of a field up to its terminator, never reading past the field. A field holds at most size - 1
// characters: one that lacks a terminator is read as if its last byte were one, so the text always fits back.
inline std::string_view FieldText(const char* field, std::size_t size)
{
    const void* end = std::memchr(field, 0, size - 1);
    return {field, end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : size - 1};
}

template <std::size_t N>
std::string_view FieldText(const char (&field)[N])
{
    return FieldText(field, N);
}

inline std::string_view FieldText(const FileRecord& record, TextField field)
{
    return FieldText(reinterpret_cast<const char*>(&record) + field.offset, field.size);
}

// Writes text into a field with its terminator and zeroes the rest of the field. The text is cut at an
// embedded zero and at size - 1 characters; returns false when it had to be cut there.
inline bool SetFieldText(char* field, std::size_t size, std::string_view text)
{
    const std::size_t zero = text.find('\0');
    const std::size_t wanted = zero == std::string_view::npos ? text.size() : zero;
    const std::size_t length = wanted < size - 1 ? wanted : size - 1;
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, size - length);
    return length == text.size();
}

template <std::size_t N>
bool SetFieldText(char (&field)[N], std::string_view text)
{
    return SetFieldText(field, N, text);
}

inline bool SetFieldText(FileRecord& record, TextField field, std::string_view text)
{
    return SetFieldText(reinterpret_cast<char*>(&record) + field.offset, field.size, text);
}

// The shared record buffer borrowed for a while: all of it is saved on construction and put back when the guard
// goes, on every way out, unless the borrower keeps what it wrote there (Keep). Walks, a line refresh and
// storing a file use it so that the record an open Record Interface holds in the buffer survives them.
class [[nodiscard]] RecordBufferGuard {
public:
    explicit RecordBufferGuard(FileRecord& buffer) : m_buffer(buffer), m_saved(buffer) {}
    ~RecordBufferGuard()
    {
        if (!m_kept)
            m_buffer = m_saved;
    }
    RecordBufferGuard(const RecordBufferGuard&) = delete;
    RecordBufferGuard& operator=(const RecordBufferGuard&) = delete;
    // The buffer keeps what it holds now.
    void Keep() { m_kept = true; }

private:
    FileRecord& m_buffer;
    const FileRecord m_saved;
    bool m_kept = false;
};
