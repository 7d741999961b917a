// ExportCatalogue: the save dialog, the walk on the progress window, the CSV rows and the file put in place
// in one step.
#include "records/export_catalogue.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "app/ks_app.h"
#include "app/ks_client.h"
#include "engine/file_record.h"
#include "engine/record_walk.h"
#include "framework/file_dialog.h"
#include "framework/handles.h"
#include "framework/ui.h"
#include "records/csv_text.h"
#include "records/ks_abort.h"
#include "records/walk.h"

namespace {

constexpr char kCaption[] = "Export Catalogue";
// Rows are written in chunks of about this size: few writes, little memory.
constexpr std::size_t kChunkBytes = 1 << 20;

// A record text (ANSI code page) as UTF-8, so that a spreadsheet shows accents as they are.
void AppendUtf8(std::string& out, std::string_view ansi)
{
    // Plain ASCII is the same in both: most texts take no conversion.
    if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out.append(ansi);
        return;
    }
    wchar_t wide[kAbstractSize];
    const int count = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide,
                                          static_cast<int>(std::size(wide)));
    if (count <= 0)
        return;
    char utf8[kAbstractSize * 3];
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, count, utf8, sizeof utf8, nullptr, nullptr);
    if (bytes > 0)
        out.append(utf8, static_cast<std::size_t>(bytes));
}

void AppendRow(std::string& out, const FileRecord& record)
{
    std::string fields[6];
    AppendUtf8(fields[0], FieldText(record.FileName));
    AppendUtf8(fields[1], FieldText(record.DownloadDate));
    AppendUtf8(fields[2], FieldText(record.Title));
    AppendUtf8(fields[3], FieldText(record.Keywords));
    AppendUtf8(fields[4], FieldText(record.Location));
    AppendUtf8(fields[5], FieldText(record.Abstract));
    AppendCsvLine(out, {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
}

// A file written beside its final name and put there in one step once it is whole; dropped otherwise, so the
// name never shows a half file and an earlier file of that name stays until the new one replaces it.
class ReplacingFile {
public:
    explicit ReplacingFile(std::string target) : m_target(std::move(target))
    {
        std::string directory = m_target;
        const std::size_t slash = directory.find_last_of("\\/");
        directory = slash == std::string::npos ? std::string(".") : directory.substr(0, slash + 1);
        char temp[MAX_PATH]{};
        if (GetTempFileNameA(directory.c_str(), "kse", 0, temp) == 0)
            return;
        m_temp = temp;
        m_file.Reset(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    ~ReplacingFile()
    {
        m_file.Reset();
        if (!m_temp.empty())
            DeleteFileA(m_temp.c_str());
    }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    bool Opened() const { return static_cast<bool>(m_file); }
    bool Write(const std::string& bytes)
    {
        DWORD written = 0;
        return m_file && WriteFile(m_file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    // Flushes the file and puts it under the final name; false (and nothing changed there) when that fails.
    bool Commit()
    {
        if (!m_file || !FlushFileBuffers(m_file.Get()))
            return false;
        m_file.Reset();
        if (!MoveFileExA(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        m_temp.clear();
        return true;
    }

private:
    std::string m_target;
    std::string m_temp;
    ks::FileHandle m_file;
};

// The export's walk: every record a batch at a time, or the listed records through ENG_READ.
class ExportWalk {
public:
    ExportWalk(KsClient& client, const std::optional<std::vector<std::int32_t>>& listed)
        : m_client(client), m_listed(listed), m_records(client)
    {
    }
    // Calls row for each record; false when the engine broke the walk off (it has said why).
    template <class Row>
    bool Run(Row&& row, KsAbort& progress)
    {
        using Clock = std::chrono::steady_clock;
        Clock::time_point sliceEnd = Clock::now();
        ks::TApplication* app = ks::TApplication::Current();
        std::int64_t total = 0;
        if (m_listed)
            total = static_cast<std::int64_t>(m_listed->size());
        else if (m_client.SendEngineCommand(ENG_COUNT, 0) == 0)
            total = m_client.RecordBuffer.RecordCount;
        FileRecord record{};
        for (std::int64_t n = 1; Next(record); ++n) {
            if (!row(record))
                return false;
            if (Clock::now() >= sliceEnd) {
                progress.SetCaption(std::string(FieldText(record.FileName)).c_str());
                if (total > 0)
                    progress.SetProgress(static_cast<int>(static_cast<double>(n) / static_cast<double>(total) * 100.0));
                if (app)
                    app->PumpWaitingMessages();
                m_records.Refresh();
                sliceEnd = Clock::now() + kWalkSlice;
                if (m_client.StopFlag)
                    return true;
            }
        }
        return m_listed ? m_result == ENG_END_OF_TABLE : !m_records.Failed();
    }

private:
    bool Next(FileRecord& record)
    {
        if (!m_listed)
            return m_records.Next(record);
        // A listed record deleted since it was listed is passed over.
        while (m_next < m_listed->size()) {
            m_client.RecordBuffer.RecordNumber = (*m_listed)[m_next++];
            m_result = m_client.SendEngineCommand(ENG_READ, ENG_RECORD_NOT_FOUND);
            if (m_result == 0) {
                record = m_client.RecordBuffer;
                return true;
            }
            if (m_result != ENG_RECORD_NOT_FOUND)
                return false;
        }
        m_result = ENG_END_OF_TABLE;
        return false;
    }

private:
    KsClient& m_client;
    const std::optional<std::vector<std::int32_t>>& m_listed;
    RecordWalk m_records;
    std::size_t m_next = 0;
    std::int32_t m_result = 0;
};

}  // namespace

void ExportCatalogue(KsClient& client, const std::optional<std::vector<std::int32_t>>& listed)
{
    if (WalkMark::Refused(client.GetHandle()))
        return;
    ks::TOpenSaveData data;
    data.Save = true;
    data.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOREADONLYRETURN;
    data.Filter = "Comma separated values (*.csv)|*.csv|All files (*.*)|*.*|";
    data.DefExt = "csv";
    data.FileName = "KESTRUM.CSV";
    {
        ks::TFileOpenDialog dialog(&client, data, 0, kCaption);
        if (dialog.Execute() != IDOK)
            return;
    }
    const std::string target = data.FileName;
    const std::string failed = "The catalogue could not be written to " + target + ".";

    ReplacingFile file(target);
    if (!file.Opened()) {
        ks::ShowMessage(client.GetHandle(), failed.c_str(), kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    std::string chunk(kUtf8Bom);
    AppendCsvLine(chunk, {kExportHeader[0], kExportHeader[1], kExportHeader[2], kExportHeader[3],
                          kExportHeader[4], kExportHeader[5]});
    std::int64_t rows = 0;
    bool written = true;
    bool walked = false;
    client.StopFlag = 0;
    {
        WalkScope scope(client, std::make_unique<KsAbort>(&client));
        KsAbort& progress = scope.ShowProgress();
        ExportWalk walk(client, listed);
        walked = walk.Run(
            [&](const FileRecord& record) {
                AppendRow(chunk, record);
                ++rows;
                if (chunk.size() < kChunkBytes)
                    return true;
                written = file.Write(chunk);
                chunk.clear();
                return written;
            },
            progress);
    }
    if (client.StopFlag) {
        ks::ShowMessage(client.GetHandle(), "The export was stopped; no file was written.", kCaption,
                        MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (!walked && written)
        return;  // the engine's box has said why; the temporary file goes with `file`
    if (!written || !file.Write(chunk) || !file.Commit()) {
        ks::ShowMessage(client.GetHandle(), failed.c_str(), kCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    const std::string done = std::to_string(rows) + (rows == 1 ? " record was" : " records were") +
                             " exported to " + target + ".";
    ks::ShowMessage(client.GetHandle(), done.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
}
