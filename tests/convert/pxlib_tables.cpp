// pxlib as an independent writer (version 7) and reader of Paradox tables.
#include "tests/convert/pxlib_tables.h"

// pxlib's header declares C functions without saying so to C++.
extern "C" {
#include <paradox.h>
}

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace ks_test {
namespace {

void Quiet(pxdoc_t*, int, const char*, void*) {}

struct Doc {
    pxdoc_t* px;
    Doc() : px(PX_new2(Quiet, nullptr, nullptr, nullptr)) {}
    ~Doc()
    {
        if (px) {
            PX_close(px);
            PX_delete(px);
        }
    }
};

bool HasMemo(const std::vector<PxColumn>& columns)
{
    for (const PxColumn& c : columns)
        if (c.type == pxfMemoBLOb)
            return true;
    return false;
}

}  // namespace

bool PxlibWrite(const std::string& dbPath, const std::string& mbPath, const std::vector<PxColumn>& columns,
                const std::vector<PxRow>& rows, const std::vector<int>& deleteAt)
{
    PX_boot();
    Doc doc;
    std::vector<pxfield_t> fields(columns.size());
    std::vector<std::string> names;
    for (const PxColumn& c : columns)
        names.push_back(c.name);
    for (std::size_t i = 0; i < columns.size(); ++i) {
        fields[i].px_fname = strdup(names[i].c_str());  // pxlib takes these over
        fields[i].px_ftype = static_cast<char>(columns[i].type);
        fields[i].px_flen = columns[i].size;
        fields[i].px_fdc = 0;
    }
    std::remove(dbPath.c_str());
    std::remove(mbPath.c_str());
    auto* owned = static_cast<pxfield_t*>(std::malloc(sizeof(pxfield_t) * fields.size()));
    std::memcpy(owned, fields.data(), sizeof(pxfield_t) * fields.size());
    if (PX_create_file(doc.px, owned, static_cast<int>(columns.size()), dbPath.c_str(), pxfFileTypNonIndexDB) < 0)
        return false;
    PX_set_tablename(doc.px, "filstore");
    if (HasMemo(columns) && PX_set_blob_file(doc.px, mbPath.c_str()) < 0)
        return false;
    for (const PxRow& row : rows) {
        std::vector<pxval_t> values(columns.size());
        std::vector<pxval_t*> pointers(columns.size());
        std::vector<std::string> texts(columns.size());
        for (std::size_t c = 0; c < columns.size(); ++c) {
            pxval_t& v = values[c];
            std::memset(&v, 0, sizeof v);
            pointers[c] = &v;
            v.type = columns[c].type;
            texts[c] = c < row.size() ? row[c] : std::string();
            const std::string& text = texts[c];
            v.isnull = text.empty();
            switch (columns[c].type) {
            case pxfAlpha:
            case pxfMemoBLOb:
                v.value.str.val = texts[c].data();
                v.value.str.len = static_cast<int>(text.size());
                break;
            case pxfDate:
                if (!text.empty())
                    v.value.lval = PxDays(text);
                break;
            case pxfShort:
            case pxfLong:
            case pxfLogical:
                v.value.lval = std::atol(text.c_str());
                break;
            case pxfNumber:
                v.value.dval = std::strtod(text.c_str(), nullptr);
                break;
            default:
                return false;
            }
        }
        if (PX_insert_record(doc.px, pointers.data()) < 0)
            return false;
    }
    if (deleteAt.empty())
        return true;
    // pxlib crashes deleting a record of a table with its memo file attached: it deletes with the table
    // opened again on its own (the memo text of a deleted record then stays behind, unreferenced).
    PX_close(doc.px);
    PX_delete(doc.px);
    doc.px = PX_new2(Quiet, nullptr, nullptr, nullptr);
    std::FILE* fp = std::fopen(dbPath.c_str(), "r+b");
    if (!fp || PX_open_fp(doc.px, fp) < 0)
        return false;
    bool deleted = true;
    for (int at : deleteAt)
        deleted = deleted && PX_delete_record(doc.px, at) >= 0;
    PX_close(doc.px);
    PX_delete(doc.px);
    doc.px = nullptr;
    std::fclose(fp);
    return deleted;
}

bool PxlibRead(const std::string& dbPath, const std::string& mbPath, std::vector<std::string>& names,
               std::vector<PxRow>& rows)
{
    PX_boot();
    Doc doc;
    names.clear();
    rows.clear();
    if (PX_open_file(doc.px, dbPath.c_str()) < 0)
        return false;
    const int count = PX_get_num_fields(doc.px);
    pxfield_t* fields = PX_get_fields(doc.px);
    bool memo = false;
    for (int i = 0; i < count; ++i) {
        names.push_back(fields[i].px_fname);
        memo = memo || fields[i].px_ftype == pxfMemoBLOb;
    }
    // pxlib (0.6.8) overruns its stack opening a memo file whose size is a whole number of 4 KB blocks, as
    // every memo file is, its own included; with one byte more it only warns. It reads a copy with that byte.
    const std::string copy = mbPath + ".pxlib";
    if (memo) {
        std::FILE* in = std::fopen(mbPath.c_str(), "rb");
        if (!in)
            return false;
        std::FILE* out = std::fopen(copy.c_str(), "wb");
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
            std::fwrite(buffer, 1, n, out);
        std::fputc(0, out);
        std::fclose(in);
        std::fclose(out);
        if (PX_set_blob_file(doc.px, copy.c_str()) < 0)
            return false;
    }
    std::vector<char> data(static_cast<std::size_t>(PX_get_recordsize(doc.px)));
    for (int r = 0; r < PX_get_num_records(doc.px); ++r) {
        if (!PX_get_record(doc.px, r, data.data()))
            return false;
        PxRow row;
        char* at = data.data();
        for (int i = 0; i < count; ++i) {
            const pxfield_t& f = fields[i];
            std::string text;
            char* s = nullptr;
            long l = 0;
            short sh = 0;
            double d = 0;
            char b = 0;
            char buffer[64];
            switch (f.px_ftype) {
            case pxfAlpha:
                if (PX_get_data_alpha(doc.px, at, f.px_flen, &s) > 0 && s) {
                    text = s;
                    doc.px->free(doc.px, s);
                }
                break;
            case pxfDate:
                if (PX_get_data_long(doc.px, at, f.px_flen, &l) > 0) {
                    int y, m, dd;
                    PX_SdnToGregorian(l + 1721425, &y, &m, &dd);
                    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, m, dd);
                    text = buffer;
                }
                break;
            case pxfShort:
                if (PX_get_data_short(doc.px, at, f.px_flen, &sh) > 0)
                    text = std::to_string(sh);
                break;
            case pxfLong:
                if (PX_get_data_long(doc.px, at, f.px_flen, &l) > 0)
                    text = std::to_string(l);
                break;
            case pxfLogical:
                if (PX_get_data_byte(doc.px, at, f.px_flen, &b) > 0)
                    text = b ? "1" : "0";
                break;
            case pxfNumber:
                if (PX_get_data_double(doc.px, at, f.px_flen, &d) > 0) {
                    std::snprintf(buffer, sizeof buffer, "%.15g", d);
                    text = buffer;
                }
                break;
            case pxfMemoBLOb: {
                int mod = 0, size = 0;
                if (PX_get_data_blob(doc.px, at, f.px_flen, &mod, &size, &s) > 0 && s) {
                    text.assign(s, static_cast<std::size_t>(size));
                    doc.px->free(doc.px, s);
                }
                break;
            }
            default:
                return false;
            }
            row.push_back(text);
            at += f.px_flen;
        }
        rows.push_back(row);
    }
    std::remove(copy.c_str());
    return true;
}

}  // namespace ks_test
