#include "export/GridExporter.h"

#include "export/BackgroundWriter.h"
#include "export/ExportError.h"
#include "export/ExportText.h"

#include <QSaveFile>

#include <memory>
#include <utility>

namespace {

// Keeps the grid still during the walk and puts it back as it was, also when
// the walk fails half-way.
class WalkGuard
{
public:
    explicit WalkGuard(ExportGrid &grid) : m_grid(grid)
    {
        m_grid.suspendUpdates();
        try {
            m_grid.savePosition();
        } catch (...) {
            m_grid.resumeUpdates();
            throw;
        }
    }
    ~WalkGuard()
    {
        try {
            m_grid.restorePosition();
        } catch (...) {
        }
        try {
            m_grid.resumeUpdates();
        } catch (...) {
        }
    }
    WalkGuard(const WalkGuard &) = delete;
    WalkGuard &operator=(const WalkGuard &) = delete;

private:
    ExportGrid &m_grid;
};

QString characterName(char32_t character)
{
    const QString code =
        QString::number(quint32(character), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    return QStringLiteral("“%1”（U+%2）").arg(QStringView(QChar::fromUcs4(character)).toString(), code);
}

} // namespace

GridExporter::GridExporter(ExportGrid &grid) : m_grid(grid) {}

GridExporter::~GridExporter() = default;

void GridExporter::exportGridToStream(QIODevice *stream)
{
    m_stream = stream;
    // A file is written on a thread of its own while the walk goes on.
    std::unique_ptr<BackgroundWriter> background;
    if (qobject_cast<QFileDevice *>(stream))
        background = std::make_unique<BackgroundWriter>(stream);
    m_background = background.get();
    try {
        walk();
        flush();
        if (m_background)
            m_background->finish();
    } catch (...) {
        m_pending.clear();
        m_background = nullptr;
        throw;
    }
    m_background = nullptr;
}

void GridExporter::walk()
{
    m_pending.clear();
    m_pending.reserve(FlushSize + FlushSize / 4);
    {
        WalkGuard guard(m_grid);
        m_columns.clear();
        m_titles.clear();
        const int count = m_grid.columnCount();
        for (int i = 0; i < count; ++i) {
            m_columns.append(m_grid.column(i));
            m_titles.append(m_columns.last().caption);
        }
        m_grid.first();
        m_hasRows = !m_grid.atEnd();
        emitHeader();
        emitTitleRow(m_columns);
        for (; !m_grid.atEnd(); m_grid.next())
            emitDataRow(m_columns);
    }
    emitTrailer();
}

void GridExporter::exportGridToFile(const QString &fileName)
{
    QSaveFile file(fileName);
    // Where no file can be made beside the target (a writable file in a read-only
    // folder) the file itself is written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportError("cannot create " + fileName.toStdString() + ": " +
                          file.errorString().toStdString());
    exportGridToStream(&file);
    if (!file.commit())
        throw ExportError("cannot write " + fileName.toStdString() + ": " + file.errorString().toStdString());
}

QByteArray GridExporter::walkIntoMemory()
{
    // Without an output nothing is flushed: the whole walk stays in memory.
    m_stream = nullptr;
    try {
        walk();
    } catch (...) {
        m_pending.clear();
        throw;
    }
    return std::exchange(m_pending, QByteArray());
}

void GridExporter::emitHeader() {}

void GridExporter::emitTrailer() {}

void GridExporter::emitTitleRow(const QList<ExportColumn> &) {}

void GridExporter::emitDataRow(const QList<ExportColumn> &columns)
{
    for (int i = 0; i < columns.size(); ++i) {
        const ExportColumn &column = columns.at(i);
        m_params.Font = column.font;
        m_params.Background = column.color;
        m_params.Alignment = column.alignment;
        m_params.Text = m_grid.displayText(i);
        emitCell(i, m_params);
    }
}

void GridExporter::emitCell(int, const CellParams &) {}

void GridExporter::flush()
{
    if (m_pending.isEmpty())
        return;
    if (m_background) {
        m_pending = m_background->swap(std::move(m_pending));
        m_pending.reserve(FlushSize + FlushSize / 4);
        return;
    }
    if (!m_stream || m_stream->write(m_pending.constData(), m_pending.size()) != m_pending.size())
        throw ExportError("write failed: " +
                          (m_stream ? m_stream->errorString().toStdString() : "no output"));
    m_pending.resize(0);
}

void GridExporter::write(const QByteArray &bytes)
{
    m_pending += bytes;
    flushWhenFull();
}

char *GridExporter::room(qsizetype size)
{
    const qsizetype used = m_pending.size();
    m_pending.resize(used + size);
    return m_pending.data() + used;
}

void GridExporter::keep(const char *end)
{
    m_pending.truncate(end - m_pending.constData());
    flushWhenFull();
}

const QList<QString> &GridExporter::rowTexts()
{
    m_texts.resize(m_columns.size());
    for (int i = 0; i < m_texts.size(); ++i)
        m_texts[i] = m_grid.displayText(i);
    return m_texts;
}

qsizetype GridExporter::unitCount(const QList<QString> &texts)
{
    qsizetype units = 0;
    for (const QString &text : texts)
        units += text.size();
    return units;
}

void GridExporter::write(const char *ascii)
{
    write(QByteArray::fromRawData(ascii, qsizetype(qstrlen(ascii))));
}

void GridExporter::writeLine(const QByteArray &bytes)
{
    write(bytes);
    write("\r\n");
}

void GridExporter::writeLine(const char *ascii)
{
    write(ascii);
    write("\r\n");
}

QByteArray GridExporter::plainBytes(QStringView text, int column, TextPlace place) const
{
    return ExportText::bytesOf(text, ExportText::MostBytesPerUnit, [&](char *out, QStringView plain) {
        return putPlain(out, plain, column, place);
    });
}

char *GridExporter::putPlain(char *out, QStringView text, int column, TextPlace place) const
{
    qsizetype i = 0;
    out = ExportText::putCodePage(out, text, i, {});
    if (i < text.size())
        refuse(ExportText::characterAt(text, i), column, place);
    return out;
}

void GridExporter::refuse(char32_t character, int column, TextPlace place) const
{
    const QString title = m_columns.value(column).caption;
    QString where;
    if (place == TextPlace::Cell)
        where = QStringLiteral("网站编号“%1”的“%2”").arg(m_grid.recordName(), title);
    else
        where = QStringLiteral("标题“%1”").arg(title);
    throw ExportError("a character the code page cannot hold",
                      where + QStringLiteral("中的字符") + characterName(character) +
                          QStringLiteral("无法保存到此类文件，.htm 和 .rtf 文件可以保存所有字符"));
}

int GridExporter::pointSize(const ExportFont &font) const
{
    const int ppi = m_grid.pixelsPerInch() > 0 ? m_grid.pixelsPerInch() : 96;
    const int scaled = font.pixelHeight * 72;
    return scaled >= 0 ? (scaled + ppi / 2) / ppi : -((-scaled + ppi / 2) / ppi);
}
