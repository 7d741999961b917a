// Fuzz target: reading a batch reply's bytes, which come from another process, never reads or writes outside
// them or the record, and every record it gives has each text terminated inside its field.
#include "engine/record_batch.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    BatchReader reader(bytes);
    FileRecord record{};
    std::int32_t count = 0;
    while (size % 2 ? reader.Next(record) : reader.NextTexts(record)) {
        for (const TextField& field : kTextFields)
            if (!std::memchr(reinterpret_cast<const char*>(&record) + field.offset, 0, field.size))
                std::abort();
        if (record.RecordNumber <= 0)
            std::abort();
        ++count;
    }
    if (!reader.Damaged() && count > 0 && !BatchAnswers(bytes, 0, 0, count, reader.LastNumber()) &&
        bytes.size() > 0) {
        // Sound entries not in rising order are the only reason left to refuse them.
        BatchReader again(bytes);
        std::int32_t previous = 0;
        bool rising = true;
        while (again.Skip()) {
            rising = rising && again.LastNumber() > previous;
            previous = again.LastNumber();
        }
        if (rising)
            std::abort();
    }
    return 0;
}
