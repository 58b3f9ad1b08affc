#include "export/XlsGridExporter.h"

#include "export/ExportError.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr quint16 RecordBof = 0x0809;
constexpr quint16 RecordCodePage = 0x0042;
constexpr quint16 RecordLabel = 0x0204;
constexpr quint16 RecordNumber = 0x0203;
constexpr quint16 RecordRk = 0x027E;
constexpr quint16 RecordBlank = 0x0201;
constexpr quint16 RecordEof = 0x000A;
constexpr quint16 BlankFormat = 0x0017;
// Texts are GBK; without this record readers outside a Chinese Windows guess another code page.
constexpr quint16 CodePageGbk = 936;

constexpr qint64 RkMin = -(qint64(1) << 29);
constexpr qint64 RkMax = (qint64(1) << 29) - 1;

void appendU16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void appendU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

QByteArray record(quint16 number, std::initializer_list<quint16> fields)
{
    QByteArray out;
    appendU16(out, number);
    appendU16(out, quint16(fields.size() * 2));
    for (const quint16 field : fields)
        appendU16(out, field);
    return out;
}

} // namespace

XlsGridExporter::XlsGridExporter(ExportGrid &grid) : GridExporter(grid) {}

// Built in memory so that a grid the worksheet cannot hold leaves the output untouched.
void XlsGridExporter::exportGridToStream(QIODevice *stream)
{
    m_row = 0;
    m_column = 0;
    const QByteArray sheet = walkIntoMemory();
    setOutput(stream);
    write(sheet);
    flush();
}

void XlsGridExporter::emitHeader()
{
    write(record(RecordBof, {0x0000, 0x0010, 0x0000, 0x0000}));
    write(record(RecordCodePage, {CodePageGbk}));
}

void XlsGridExporter::emitTrailer()
{
    write(record(RecordEof, {}));
}

void XlsGridExporter::emitTitleRow(const QList<ExportColumn> &columns)
{
    for (int i = 0; i < columns.size(); ++i)
        writeLabel(plainBytes(columns.at(i).caption, i, TextPlace::Title));
}

void XlsGridExporter::emitCell(int column, const CellParams &params)
{
    const ExportColumn &exported = exportedColumns().at(column);
    if (grid().isNull(column)) {
        writeBlank();
    } else {
        switch (exported.fieldType) {
        case FieldType::Int16:
        case FieldType::Int32:
        case FieldType::UInt16:
        case FieldType::AutoInc:
            writeWholeNumber(grid().integerValue(column));
            break;
        case FieldType::Float:
        case FieldType::Currency:
        case FieldType::Bcd:
        case FieldType::FmtBcd:
            writeNumber(grid().floatValue(column));
            break;
        default:
            writeLabel(plainBytes(params.Text, column, TextPlace::Cell));
            break;
        }
    }
}

void XlsGridExporter::writeLabel(const QByteArray &bytes)
{
    if (bytes.size() > MaxLabelBytes)
        throw ExportError("a text of " + std::to_string(bytes.size()) +
                          " bytes does not fit a worksheet cell");
    QByteArray out = cellStart(RecordLabel, quint16(bytes.size() + 8), 0);
    appendU16(out, quint16(bytes.size()));
    out += bytes;
    write(out);
    advance();
}

void XlsGridExporter::writeNumber(double value)
{
    QByteArray out = cellStart(RecordNumber, 14, 0);
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    out.append(bytes, 8);
    write(out);
    advance();
}

// Whole numbers beyond the 30 bits of an RK value go out as doubles rather than cut short.
void XlsGridExporter::writeWholeNumber(qint64 value)
{
    if (value < RkMin || value > RkMax) {
        writeNumber(double(value));
        return;
    }
    QByteArray out = cellStart(RecordRk, 10, 0);
    appendU32(out, (quint32(qint32(value)) << 2) | 2u);
    write(out);
    advance();
}

void XlsGridExporter::writeBlank()
{
    write(cellStart(RecordBlank, 6, BlankFormat));
    advance();
}

QByteArray XlsGridExporter::cellStart(quint16 number, quint16 length, quint16 format) const
{
    if (m_row > MaxRow)
        throw ExportError("the grid has more rows than a worksheet holds");
    QByteArray out;
    out.reserve(length + 4);
    appendU16(out, number);
    appendU16(out, length);
    appendU16(out, quint16(m_row));
    appendU16(out, quint16(m_column));
    appendU16(out, format);
    return out;
}

void XlsGridExporter::advance()
{
    if (m_column >= int(exportedColumns().size()) - 1) {
        ++m_row;
        m_column = 0;
    } else {
        ++m_column;
    }
}
