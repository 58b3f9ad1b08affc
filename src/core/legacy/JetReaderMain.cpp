// corvane-jet-reader <file> <table>...: writes the rows of the named tables of a Jet 4
// (or ACE) file to standard output, in the stream described in JetStream.h.
//
// It is a process of its own because libmdb trusts the file: a damaged page can make
// it read out of bounds or crash. A crash here only fails the conversion.

#include "legacy/JetStream.h"

// mdbtools.h includes glib inside its extern "C" block, which C++ glib headers refuse.
#include <glib.h>
#include <mdbtools.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// A row's slot on its page: the offset of the row, and two flags above it.
constexpr int offsetMask = 0x1fff;
constexpr int deletedFlag = 0x8000;
constexpr int overflowFlag = 0x4000;
constexpr int longValueHeader = 12;

class Output
{
public:
    void byte(unsigned char value) { m_buffer.push_back(char(value)); }
    void u32(std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            byte((value >> (8 * i)) & 0xff);
    }
    void bytes(const void *data, std::size_t size)
    {
        u32(std::uint32_t(size));
        m_buffer.append(static_cast<const char *>(data), size);
    }
    void name(const char *text) { bytes(text, std::strlen(text)); }
    void raw(const char *data, std::size_t size) { m_buffer.append(data, size); }
    // Drops what was written since the last flush: a row is written whole or not at all.
    void discard() { m_buffer.clear(); }
    void flush()
    {
        if (!m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout) != m_buffer.size())
            std::exit(JetStream::WriteFailure);
        m_buffer.clear();
    }
    void finish()
    {
        flush();
        if (std::fflush(stdout) != 0)
            std::exit(JetStream::WriteFailure);
    }

private:
    std::string m_buffer;
};

Output out;

[[noreturn]] void fail(const char *table, std::uint32_t row, const char *column, JetStream::Reason reason)
{
    out.discard();
    out.byte(JetStream::FailureTag);
    out.name(table);
    out.u32(row);
    out.name(column);
    out.byte(reason);
    out.finish();
    std::exit(JetStream::ReadFailure);
}

// A memo's text may sit in the row, on one long-value page, or spread over a chain of
// them. libmdb's own reader returns an empty or short text when a page is missing;
// here a value is whole or the conversion stops.
bool readLongValue(MdbHandle *mdb, const unsigned char *header, int size, std::string &value)
{
    if (size < longValueHeader)
        return false;
    const std::uint32_t word = std::uint32_t(mdb_get_int32(const_cast<unsigned char *>(header), 0));
    // Three bytes of length, then one byte telling where the value lives.
    const std::size_t length = word & 0x00ffffff;
    const std::uint32_t kind = word & 0xff000000;
    value.clear();
    if (kind == 0x80000000) {
        if (std::size_t(size - longValueHeader) < length)
            return false;
        value.assign(reinterpret_cast<const char *>(header) + longValueHeader, length);
        return true;
    }
    int pageRow = int(mdb_get_int32(const_cast<unsigned char *>(header), 4));
    void *page = nullptr;
    int start = 0;
    size_t rowSize = 0;
    if (kind == 0x40000000) {
        if (mdb_find_pg_row(mdb, pageRow, &page, &start, &rowSize) != 0 || rowSize < length)
            return false;
        value.assign(static_cast<const char *>(page) + start, length);
        return true;
    }
    if (kind != 0)
        return false;
    // Every link carries at least one byte, so a chain longer than the value is a loop.
    for (std::size_t links = 0; value.size() < length; ++links) {
        if (pageRow == 0 || links > length)
            return false;
        if (mdb_find_pg_row(mdb, pageRow, &page, &start, &rowSize) != 0 || rowSize <= 4)
            return false;
        const char *row = static_cast<const char *>(page) + start;
        const std::size_t take = std::min(rowSize - 4, length - value.size());
        value.append(row + 4, take);
        pageRow = int(mdb_get_int32(const_cast<char *>(row), 0));
    }
    return true;
}

MdbCatalogEntry *findTable(MdbHandle *mdb, const char *name)
{
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && g_ascii_strcasecmp(entry->object_name, name) == 0)
            return entry;
    }
    return nullptr;
}

void writeValue(MdbHandle *mdb, const char *table, std::uint32_t row, MdbColumn *column,
                const MdbField &field)
{
    const int pageSize = int(mdb->fmt->pg_size);
    if (field.is_null && column->col_type != MDB_BOOL) {
        out.byte(0);
        return;
    }
    out.byte(1);
    if (column->col_type == MDB_BOOL) {
        // A yes/no value lives in the null mask: "null" means no.
        const unsigned char flag = field.is_null ? 0 : 1;
        out.bytes(&flag, 1);
        return;
    }
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > pageSize)
        fail(table, row, column->name, JetStream::RowUnreadable);
    const unsigned char *data = mdb->pg_buf + field.start;
    if (column->col_type == MDB_MEMO || column->col_type == MDB_OLE) {
        std::string value;
        if (!readLongValue(mdb, data, field.siz, value))
            fail(table, row, column->name, JetStream::LongValueUnreadable);
        out.bytes(value.data(), value.size());
        return;
    }
    out.bytes(data, std::size_t(field.siz));
}

// Cracks the row in the given slot of the page in pg_buf and writes its values.
void writeRowAt(MdbTableDef *table, std::uint32_t row, int slot, std::vector<MdbField> &fields)
{
    MdbHandle *mdb = table->entry->mdb;
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(mdb, slot, &start, &size) != 0 || size == 0)
        fail(table->name, row, "", JetStream::RowUnreadable);
    start &= offsetMask;
    // Columns added after a row was written come back as nulls for that row.
    if (mdb_crack_row(table, start, size, fields.data()) < 0)
        fail(table->name, row, "", JetStream::RowUnreadable);
    std::vector<const MdbField *> byColumn(table->num_cols, nullptr);
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        const int number = fields[i].colnum;
        if (number < 0 || unsigned(number) >= table->num_cols || byColumn[number])
            fail(table->name, row, "", JetStream::RowUnreadable);
        byColumn[number] = &fields[i];
    }
    out.byte(JetStream::RowTag);
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        writeValue(mdb, table->name, row, column, *byColumn[i]);
    }
    out.flush();
}

int slotWord(MdbHandle *mdb, int slot)
{
    return mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset + 2 + 2 * slot) & 0xffff;
}

bool loadPage(MdbTableDef *table, std::uint32_t page)
{
    MdbHandle *mdb = table->entry->mdb;
    return mdb_read_pg(mdb, page) == mdb->fmt->pg_size && mdb->pg_buf[0] == MDB_PAGE_DATA &&
           std::uint32_t(mdb_get_int32(mdb->pg_buf, 4)) == std::uint32_t(table->entry->table_pg);
}

// A row that grew past its page was moved: its slot holds the page and slot it went to
// (which may have moved on again). The moved row itself is marked deleted on its page,
// so the page walk does not meet it a second time.
void writeMovedRow(MdbTableDef *table, std::uint32_t row, int slot, std::vector<MdbField> &fields)
{
    MdbHandle *mdb = table->entry->mdb;
    for (int hops = 0; hops < 8; ++hops) {
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, slot, &start, &size) != 0 || size < 4)
            break;
        const std::uint32_t target = std::uint32_t(mdb_get_int32(mdb->pg_buf, start & offsetMask));
        slot = int(target & 0xff);
        if (!loadPage(table, target >> 8) || slot >= mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset))
            break;
        if (!(slotWord(mdb, slot) & overflowFlag)) {
            writeRowAt(table, row, slot, fields);
            if (!loadPage(table, table->cur_phys_pg))
                break;
            return;
        }
    }
    fail(table->name, row, "", JetStream::RowUnreadable);
}

void writeTable(MdbHandle *mdb, const char *name)
{
    MdbCatalogEntry *entry = findTable(mdb, name);
    if (!entry) {
        out.byte(JetStream::MissingTag);
        out.name(name);
        return;
    }
    MdbTableDef *table = mdb_read_table(entry);
    if (!table || !mdb_read_columns(table))
        fail(name, 0, "", JetStream::TableUnreadable);
    out.byte(JetStream::TableTag);
    out.name(name);
    out.u32(table->num_cols);
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        auto *column = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, i));
        out.name(column->name);
        out.byte(static_cast<unsigned char>(column->col_type));
    }
    out.u32(table->num_rows);
    std::vector<MdbField> fields(table->num_cols + 1);
    std::uint32_t rows = 0;
    // The rows are walked slot by slot rather than with mdb_fetch_row, whose flag test
    // has the two flags swapped: it would return deleted rows and skip moved ones.
    mdb_rewind_table(table);
    while (mdb_read_next_dpg(table)) {
        const int slots = mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset);
        if (slots > (int(mdb->fmt->pg_size) - mdb->fmt->row_count_offset - 2) / 2)
            fail(table->name, rows + 1, "", JetStream::RowUnreadable);
        for (int slot = 0; slot < slots; ++slot) {
            const int word = slotWord(mdb, slot);
            if (word & deletedFlag)
                continue;
            if (word & overflowFlag)
                writeMovedRow(table, ++rows, slot, fields);
            else
                writeRowAt(table, ++rows, slot, fields);
        }
    }
    out.byte(JetStream::EndTag);
    out.u32(rows);
    mdb_free_tabledef(table);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return JetStream::Usage;
    MdbHandle *mdb = mdb_open(argv[1], MDB_NOFLAGS);
    if (!mdb)
        return JetStream::NotJet;
    // Jet 3 keeps its texts in the machine's code page, which this reader does not assume.
    if (mdb->f->jet_version == MDB_VER_JET3)
        return JetStream::OldJetVersion;
    // Jet writes whole pages; a file that ends inside one lost part of it.
    struct stat info = {};
    if (stat(argv[1], &info) != 0 || info.st_size % mdb->fmt->pg_size != 0)
        return JetStream::Truncated;
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        return JetStream::NotJet;
    out.raw(JetStream::magic, JetStream::magicLength);
    out.flush();
    for (int i = 2; i < argc; ++i)
        writeTable(mdb, argv[i]);
    out.byte(JetStream::DoneTag);
    out.finish();
    mdb_close(mdb);
    return JetStream::Success;
}
