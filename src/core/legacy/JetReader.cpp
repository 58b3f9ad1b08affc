#include "legacy/JetReader.h"

#include "legacy/JetConversionError.h"
#include "legacy/JetStream.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>

int JetTable::columnIndex(const QString &column) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(column, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace JetReader {

namespace {

QString &programOverride()
{
    static QString path;
    return path;
}

const QString damaged = QStringLiteral("无法读取旧版数据库文件，文件可能已损坏");

// Stops at the first byte that does not fit the stream: a short or garbled stream is a
// failed reading, never a shorter table.
class StreamParser
{
public:
    explicit StreamParser(const QByteArray &data) : m_data(data) {}

    bool atEnd() const { return m_at == m_data.size(); }
    quint8 byte()
    {
        need(1);
        return quint8(m_data[m_at++]);
    }
    quint32 u32()
    {
        need(4);
        const quint32 value = qFromLittleEndian<quint32>(m_data.constData() + m_at);
        m_at += 4;
        return value;
    }
    QByteArray bytes()
    {
        const quint32 size = u32();
        need(size);
        const QByteArray value = m_data.mid(m_at, size);
        m_at += size;
        return value;
    }
    QString name() { return QString::fromUtf8(bytes()); }
    void expectMagic()
    {
        need(JetStream::magicLength);
        if (m_data.mid(0, JetStream::magicLength) != QByteArray(JetStream::magic, JetStream::magicLength))
            throw JetConversionError(damaged);
        m_at = JetStream::magicLength;
    }

private:
    void need(qint64 size) const
    {
        if (size > m_data.size() - m_at)
            throw JetConversionError(damaged);
    }

    const QByteArray &m_data;
    qsizetype m_at = 0;
};

[[noreturn]] void throwFailure(StreamParser &parser)
{
    const QString table = parser.name();
    const quint32 row = parser.u32();
    const QString column = parser.name();
    const quint8 reason = parser.byte();
    const QString what = reason == JetStream::LongValueUnreadable ? QStringLiteral("备注内容无法完整读取")
                         : reason == JetStream::TableUnreadable ? QStringLiteral("表结构无法读取")
                                                                : QStringLiteral("记录无法读取");
    throw JetConversionError::at(table, int(row), QString(), column, what);
}

JetTable parseTable(StreamParser &parser)
{
    JetTable table;
    table.name = parser.name();
    table.found = true;
    const quint32 columns = parser.u32();
    for (quint32 i = 0; i < columns; ++i) {
        JetColumn column;
        column.name = parser.name();
        column.type = parser.byte();
        table.columns << column;
    }
    table.declaredRows = parser.u32();
    for (;;) {
        const quint8 tag = parser.byte();
        if (tag == JetStream::EndTag)
            break;
        if (tag == JetStream::FailureTag)
            throwFailure(parser);
        if (tag != JetStream::RowTag)
            throw JetConversionError(damaged);
        QList<JetValue> row(table.columns.size());
        for (JetValue &value : row) {
            value.present = parser.byte() != 0;
            if (value.present)
                value.bytes = parser.bytes();
        }
        table.rows << row;
    }
    if (parser.u32() != quint32(table.rows.size()))
        throw JetConversionError(damaged);
    return table;
}

QList<JetTable> parse(const QByteArray &data)
{
    StreamParser parser(data);
    parser.expectMagic();
    QList<JetTable> tables;
    for (;;) {
        const quint8 tag = parser.byte();
        if (tag == JetStream::DoneTag)
            break;
        if (tag == JetStream::TableTag) {
            tables << parseTable(parser);
        } else if (tag == JetStream::MissingTag) {
            JetTable missing;
            missing.name = parser.name();
            tables << missing;
        } else if (tag == JetStream::FailureTag) {
            throwFailure(parser);
        } else {
            throw JetConversionError(damaged);
        }
    }
    if (!parser.atEnd())
        throw JetConversionError(damaged);
    return tables;
}

// Runs the reader and collects what it writes. A damaged page can in principle send
// libmdb round in circles, so the reader gets a deadline that grows with the file.
QByteArray runReader(const QString &path, const QStringList &tables, int &exitCode)
{
    QProcess process;
    process.setProgram(program());
    process.setArguments(QStringList{path} + tables);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted())
        throw JetConversionError(QStringLiteral("找不到读取程序 ") + QDir::toNativeSeparators(program()));
    const qint64 fileSize = QFileInfo(path).size();
    QDeadlineTimer deadline(60000 + fileSize / (1024 * 1024) * 2000);
    // Texts at most double in the stream; far more means the reader is repeating itself.
    const qint64 outputLimit = 4 * fileSize + (16 << 20);
    QByteArray output;
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired() || output.size() > outputLimit) {
            process.kill();
            process.waitForFinished();
            throw JetConversionError(QStringLiteral("读取旧版数据库文件超时，文件可能已损坏"));
        }
        process.waitForReadyRead(200);
        output += process.readAllStandardOutput();
    }
    output += process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit)
        throw JetConversionError(damaged);
    exitCode = process.exitCode();
    return output;
}

} // namespace

QList<JetTable> read(const QString &path, const QStringList &tables)
{
    int exitCode = 0;
    const QByteArray output = runReader(path, tables, exitCode);
    switch (exitCode) {
    case JetStream::Success:
        return parse(output);
    case JetStream::ReadFailure:
        // The stream ends in the failure, naming the table, row and column.
        parse(output);
        throw JetConversionError(damaged);
    case JetStream::Truncated:
        throw JetConversionError(QStringLiteral("旧版数据库文件不完整，可能在复制时被截断"));
    case JetStream::OldJetVersion:
        throw JetConversionError(
            QStringLiteral("不支持 Access 97（Jet 3）格式的数据库文件，请先用 Access 转换为 2000 格式"));
    default:
        throw JetConversionError(damaged);
    }
}

QString program()
{
    if (!programOverride().isEmpty())
        return programOverride();
    // Beside the executable in a build or a portable folder; installed (/usr/bin/corvane),
    // under the package's own library folder (/usr/lib/corvane).
    const QDir folder(QCoreApplication::applicationDirPath());
    const QString name = QStringLiteral("corvane-jet-reader");
    const QString beside = folder.filePath(name);
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(folder.filePath(QStringLiteral("../lib/corvane/")) + QLatin1Char('/') + name);
}

void setProgram(const QString &path)
{
    programOverride() = path;
}

} // namespace JetReader
