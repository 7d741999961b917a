// OpenTableSite: the table's folder, with its file beside the table for compaction (portable).
#include "kspdx/table_file.h"

#include <utility>

namespace kspdx {
namespace {

class FolderSite final : public TableSite {
public:
    explicit FolderSite(std::string path) : m_path(std::move(path)), m_beside(m_path + ".compact") {}

    std::unique_ptr<TableFile> CreateBeside(IoStatus& status) override
    {
        RemoveTableFile(m_beside);
        return OpenTableFile(m_beside, status);
    }

    std::unique_ptr<TableFile> Replace(std::unique_ptr<TableFile> table, std::unique_ptr<TableFile> fresh,
                                       IoStatus& status) override
    {
        // Both are held without sharing: a file open so cannot be renamed or replaced.
        table.reset();
        fresh.reset();
        status = ReplaceTableFile(m_beside, m_path);
        if (status != IoStatus::kOk)
            RemoveTableFile(m_beside);
        IoStatus reopened = IoStatus::kFailed;
        std::unique_ptr<TableFile> file = OpenTableFile(m_path, reopened);
        if (!file)
            status = reopened;
        return file;
    }

    void Discard(std::unique_ptr<TableFile> fresh) override
    {
        fresh.reset();
        RemoveTableFile(m_beside);
    }

private:
    std::string m_path;
    std::string m_beside;
};

}  // namespace

std::unique_ptr<TableSite> OpenTableSite(const std::string& path) { return std::make_unique<FolderSite>(path); }

}  // namespace kspdx
