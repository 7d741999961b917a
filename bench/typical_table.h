// The benchmarks' catalogue: records of typical size, and the table file the engine writes for them.
#pragma once
#include <cstdio>
#include <string>

#include "engine/file_record.h"
#include "kspdx/table_log.h"

namespace bench {

// Short name and location, a title, keywords and a 200-character abstract.
inline FileRecord Typical(int i)
{
    FileRecord record{};
    SetFieldText(record.FileName, "FILE" + std::to_string(i) + ".ZIP");
    SetFieldText(record.DownloadDate, "12/25/1996");
    SetFieldText(record.Title, "A downloaded file with a title of forty c");
    SetFieldText(record.Keywords, "archive utility shareware disk");
    SetFieldText(record.Location, "C:\\KESTRUM\\KS_STORE");
    SetFieldText(record.Abstract, std::string(200, 'a'));
    return record;
}

// Record i after its edit number round: a new title and keywords of the same lengths as the typical ones.
inline FileRecord Edited(int i, int round)
{
    FileRecord record = Typical(i);
    char title[64];
    std::snprintf(title, sizeof title, "A downloaded file, its title edited %4d", round);
    SetFieldText(record.Title, title);
    SetFieldText(record.Keywords, "archive utility shareware edit" + std::to_string(round % 10));
    return record;
}

// The bytes of the table file after records typical adds, through the engine's own entry codec: the same
// entries the engine appends, written in a second instead of the half minute the adds would take.
inline std::string TypicalTableBytes(int records)
{
    std::string bytes;
    const auto header = kspdx::EncodeHeader();
    bytes.append(reinterpret_cast<const char*>(header.data()), header.size());
    kspdx::EntryBuilder builder;
    for (int i = 1; i <= records; ++i) {
        const FileRecord record = Typical(i);
        kspdx::RecordTexts texts;
        for (std::size_t f = 0; f < kTextFieldCount; ++f)
            texts[f] = FieldText(record, kTextFields[f]);
        const auto entry = builder.Put(i, texts);
        bytes.append(reinterpret_cast<const char*>(entry.data()), entry.size());
    }
    return bytes;
}

}  // namespace bench
