#include "app/DueCommand.h"

#include "app/CommandLine.h"
#include "app/CommandRegister.h"
#include "legacy/JetImport.h"
#include "sites/DueCalendar.h"
#include "sites/DueFormats.h"
#include "sites/DueList.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/RegisterAddress.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include <cstdio>

namespace {

// A reason the register file cannot be read, before SQLite is asked; empty when there is none.
QString refusalOf(const QString &path)
{
    const QString refusal = RegisterAddress::refusalOfFile(path);
    if (!refusal.isEmpty() && QFileInfo(path).isFile() && JetImport::isJetFile(path))
        return QStringLiteral("数据库文件仍是旧的 Jet 格式，请先启动 Corvane 转换一次：") + path;
    return refusal;
}

QByteArray output(const CommandLine::Options &options, Query &query, const QList<DueEntry> &due)
{
    switch (options.format) {
    case DueFormats::Format::Csv:
        return DueFormats::csv(due);
    case DueFormats::Format::Json:
        return DueFormats::json(due);
    case DueFormats::Format::Ics:
        // The calendar is the whole register; what is due now decides only the exit status.
        return DueCalendar::ofRegister(query, QDateTime::currentDateTimeUtc());
    case DueFormats::Format::Text:
        break;
    }
    return DueFormats::text(due);
}

int fail(const QString &reason)
{
    std::fprintf(stderr, "corvane: %s\n", reason.toUtf8().constData());
    return DueCommand::Failed;
}

} // namespace

namespace DueCommand {

int run(const CommandLine::Options &options)
{
    const RegisterAddress address = CommandRegister::toRead(options);
    const QString refusal = address.isServer() ? QString() : refusalOf(address.path());
    if (!refusal.isEmpty())
        return fail(refusal);
    QByteArray bytes;
    bool somethingDue = false;
    try {
        Connection connection;
        connection.setReadOnly(true);
        address.applyTo(connection);
        Query query(&connection);
        const QDate today = QDate::currentDate();
        const QList<DueEntry> due = options.days ? DueList::dueWithin(query, today, *options.days)
                                                 : DueList::dueByLeadTimes(query, today);
        somethingDue = !due.isEmpty();
        bytes = output(options, query, due);
    } catch (const StoreError &error) {
        return fail(QStringLiteral("读取数据库出错：") + error.message());
    }
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) ||
        std::fflush(stdout) != 0)
        return fail(QStringLiteral("无法写出结果"));
    return somethingDue ? SomethingDue : NothingDue;
}

} // namespace DueCommand
