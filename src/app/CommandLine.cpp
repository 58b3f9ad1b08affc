#include "app/CommandLine.h"

#include <QCommandLineParser>

#include <cstring>

namespace {

const char *const OptionNames[] = {"due", "days", "format", "register"};

void readDays(const QString &value, CommandLine::Options &options)
{
    bool ok = false;
    const int days = value.toInt(&ok);
    if (!ok || days < 0)
        options.error = QStringLiteral("--days 须为不小于 0 的整数：") + value;
    else
        options.days = days;
}

void readFormat(const QString &value, CommandLine::Options &options)
{
    const std::optional<DueFormats::Format> format = DueFormats::named(value);
    if (!format)
        options.error = QStringLiteral("--format 只能是 text、csv、json 或 ics：") + value;
    else
        options.format = *format;
}

} // namespace

namespace CommandLine {

bool isCommandRun(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *name : OptionNames) {
            const size_t length = std::strlen(name);
            if (std::strncmp(argv[i], "--", 2) == 0 && std::strncmp(argv[i] + 2, name, length) == 0 &&
                (argv[i][2 + length] == '\0' || argv[i][2 + length] == '='))
                return true;
        }
    }
    return false;
}

Options parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption due(QStringLiteral("due"));
    const QCommandLineOption days(QStringLiteral("days"), QString(), QStringLiteral("N"));
    const QCommandLineOption format(QStringLiteral("format"), QString(), QStringLiteral("text|csv|json|ics"));
    const QCommandLineOption registerPath(QStringLiteral("register"), QString(), QStringLiteral("PATH"));
    parser.addOptions({due, days, format, registerPath});

    Options options;
    if (!parser.parse(arguments)) {
        options.error =
            parser.unknownOptionNames().isEmpty()
                ? QStringLiteral("选项有误：") + parser.errorText()
                : QStringLiteral("未知选项：--") + parser.unknownOptionNames().join(QStringLiteral(" --"));
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error = QStringLiteral("多余的参数：") + parser.positionalArguments().join(QLatin1Char(' '));
        return options;
    }
    options.due = parser.isSet(due);
    if (!options.due)
        options.error = QStringLiteral("--days、--format 和 --register 须与 --due 一起使用");
    if (options.error.isEmpty() && parser.isSet(days))
        readDays(parser.value(days), options);
    if (options.error.isEmpty() && parser.isSet(format))
        readFormat(parser.value(format), options);
    options.registerPath = parser.value(registerPath);
    if (parser.isSet(registerPath) && options.registerPath.isEmpty() && options.error.isEmpty())
        options.error = QStringLiteral("--register 须给出数据库文件的路径");
    return options;
}

} // namespace CommandLine
