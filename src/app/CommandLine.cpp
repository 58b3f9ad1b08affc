#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

// Options Qt's application objects take off the command line themselves. They are known
// here only so that they are not refused and their values are not taken for stray words.
const char *const QtOptionsWithValue[] = {"platform",
                                          "platformpluginpath",
                                          "platformtheme",
                                          "plugin",
                                          "qwindowgeometry",
                                          "geometry",
                                          "qwindowtitle",
                                          "title",
                                          "qwindowicon",
                                          "icon",
                                          "session",
                                          "display",
                                          "name",
                                          "visual",
                                          "style",
                                          "stylesheet",
                                          "qmljsdebugger"};
const char *const QtFlags[] = {"reverse", "testability", "widgetcount", "qdevel",
                               "qdebug",  "nograb",      "dograb"};

struct OptionSet
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("显示本帮助后退出")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("显示版本号后退出")};
    QCommandLineOption portable{QStringLiteral("portable"),
                                QStringLiteral("使用程序所在文件夹中的数据库和密钥文件")};
    QCommandLineOption registerFolder{QStringLiteral("register-folder"),
                                      QStringLiteral("使用指定文件夹中的数据库和密钥文件"),
                                      QStringLiteral("文件夹")};
    QCommandLineOption due{QStringLiteral("due"), QStringLiteral("列出快到期的空间和域名后退出，无需登录")};
    QCommandLineOption days{QStringLiteral("days"), QStringLiteral("与 --due 一起用：列出 N 天内到期的"),
                            QStringLiteral("N")};
    QCommandLineOption format{QStringLiteral("format"),
                              QStringLiteral("与 --due 一起用：输出格式，默认 text"),
                              QStringLiteral("text|csv|json|ics")};
    QCommandLineOption copy{
        QStringLiteral("copy-register-to"),
        QStringLiteral("把数据库文件中的网站和设置复制到空的 PostgreSQL 数据库，核对后退出，无需登录"),
        QStringLiteral("连接串")};
    QCommandLineOption protect{QStringLiteral("protect"),
                               QStringLiteral("启用保护模式：从标准输入读取登录密码，无需登录")};
    QCommandLineOption slot{QStringLiteral("slot"),
                            QStringLiteral("与 --protect 一起用：这个密码的名称，默认为用户名"),
                            QStringLiteral("名称")};
    QCommandLineOption unprotect{QStringLiteral("unprotect"),
                                 QStringLiteral("关闭保护模式：从标准输入读取一个密码")};
    QCommandLineOption addSlot{QStringLiteral("add-slot"),
                               QStringLiteral("为保护模式添加一个密码：从标准输入读取现有的密码和新密码"),
                               QStringLiteral("名称")};
    QCommandLineOption changePassword{QStringLiteral("change-password"),
                                      QStringLiteral("修改密码：从标准输入读取原密码和新密码")};
    QCommandLineOption registerPath{
        QStringLiteral("register"),
        QStringLiteral("使用指定的数据库（文件路径或 PostgreSQL 连接串），以后启动时沿用"),
        QStringLiteral("数据库")};

    QList<QCommandLineOption> own() const
    {
        return {help, version, portable, registerFolder, due,     days,           format,
                copy, protect, slot,     unprotect,      addSlot, changePassword, registerPath};
    }

    // The options that each make the program a command on the terminal.
    QList<const QCommandLineOption *> commands() const
    {
        return {&due, &copy, &protect, &unprotect, &addSlot, &changePassword};
    }
};

QList<QCommandLineOption> qtOptions()
{
    QList<QCommandLineOption> options;
    for (const char *name : QtOptionsWithValue)
        options.append(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char *name : QtFlags)
        options.append(QCommandLineOption(QString::fromLatin1(name)));
    for (QCommandLineOption &option : options)
        option.setFlags(QCommandLineOption::HiddenFromHelp);
    return options;
}

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

// The unknown option as it was typed (-x or --name, without a value given after "=").
QString typedOption(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments) {
        const QString word = argument.section(QLatin1Char('='), 0, 0);
        if (word.startsWith(QLatin1Char('-')) &&
            word.mid(word.startsWith(QStringLiteral("--")) ? 2 : 1) == name)
            return word;
    }
    return QStringLiteral("--") + name;
}

QString parseFailure(const QCommandLineParser &parser, const QStringList &arguments)
{
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("未知选项：") + typedOption(arguments, parser.unknownOptionNames().first());
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("多余的参数：") + parser.positionalArguments().join(QLatin1Char(' '));
    return QStringLiteral("选项有误：") + parser.errorText();
}

void readFolderChoice(const QCommandLineParser &parser, const OptionSet &set, CommandLine::Options &options)
{
    options.portable = parser.isSet(set.portable);
    if (!parser.isSet(set.registerFolder))
        return;
    const QString folder = parser.value(set.registerFolder);
    if (options.portable)
        options.error = QStringLiteral("--portable 和 --register-folder 不能一起使用");
    else if (folder.isEmpty())
        options.error = QStringLiteral("--register-folder 须给出文件夹");
    else if (!QFileInfo(folder).isDir())
        options.error = QStringLiteral("文件夹不存在：") + folder;
    else
        options.registerFolder = QFileInfo(folder).absoluteFilePath();
}

// Two commands at once are refused by the names typed.
QString commandClash(const QCommandLineParser &parser, const OptionSet &set)
{
    QStringList given;
    for (const QCommandLineOption *command : set.commands())
        if (parser.isSet(*command))
            given << QStringLiteral("--") + command->names().constFirst();
    if (given.size() < 2)
        return QString();
    const QString last = given.takeLast();
    return given.join(QStringLiteral("、")) + QStringLiteral(" 和 ") + last + QStringLiteral(" 不能一起使用");
}

void readProtection(const QCommandLineParser &parser, const OptionSet &set, CommandLine::Options &options)
{
    using Step = CommandLine::ProtectionStep;
    const std::pair<const QCommandLineOption &, Step> steps[] = {{set.protect, Step::Protect},
                                                                 {set.unprotect, Step::Unprotect},
                                                                 {set.addSlot, Step::AddSlot},
                                                                 {set.changePassword, Step::ChangePassword}};
    for (const auto &[option, step] : steps)
        if (parser.isSet(option))
            options.protection = step;
    options.slotName = parser.value(options.protection == Step::AddSlot ? set.addSlot : set.slot);
    if (parser.isSet(set.slot) && options.protection != Step::Protect)
        options.error = QStringLiteral("--slot 须与 --protect 一起使用");
    else if (options.protection == Step::AddSlot && options.slotName.trimmed().isEmpty())
        options.error = QStringLiteral("--add-slot 须给出密码的名称");
    else if (parser.isSet(set.slot) && options.slotName.trimmed().isEmpty())
        options.error = QStringLiteral("--slot 须给出密码的名称");
}

void readCommands(const QCommandLineParser &parser, const OptionSet &set, CommandLine::Options &options)
{
    options.due = parser.isSet(set.due);
    options.copy = parser.isSet(set.copy);
    options.copyTarget = parser.value(set.copy);
    readProtection(parser, set, options);
    if (const QString clash = commandClash(parser, set); !clash.isEmpty())
        options.error = clash;
    else if (options.copy && options.copyTarget.trimmed().isEmpty())
        options.error = QStringLiteral("--copy-register-to 须给出服务器数据库的连接串");
    else if (!options.due && (parser.isSet(set.days) || parser.isSet(set.format)))
        options.error = QStringLiteral("--days 和 --format 须与 --due 一起使用");
    if (options.error.isEmpty() && parser.isSet(set.days))
        readDays(parser.value(set.days), options);
    if (options.error.isEmpty() && parser.isSet(set.format))
        readFormat(parser.value(set.format), options);
}

// The windows refuse a register file that cannot be opened before they remember it; the due
// list says why it cannot read one itself.
void readRegister(const QCommandLineParser &parser, const OptionSet &set, CommandLine::Options &options)
{
    if (!parser.isSet(set.registerPath))
        return;
    const QString typed = parser.value(set.registerPath);
    QString refusal;
    options.registerAddress = RegisterAddress::fromText(typed, refusal);
    if (typed.isEmpty())
        refusal = QStringLiteral("--register 须给出数据库文件的路径或连接串");
    // A command says itself why it cannot use the file: the copy and the protection commands
    // convert an earlier installation's Jet file as the windows would.
    else if (refusal.isEmpty() && !options.isCommand() && !options.registerAddress.isServer())
        refusal = RegisterAddress::refusalOfFile(options.registerAddress.path());
    options.error = refusal;
}

// A terminal shows a Chinese character two columns wide.
int columnsOf(const QString &text)
{
    int columns = 0;
    for (const QChar c : text)
        columns += c.unicode() >= 0x1100 ? 2 : 1;
    return columns;
}

QString optionColumn(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString column = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        column += QStringLiteral(" <") + option.valueName() + QLatin1Char('>');
    return column;
}

QString helpText()
{
    const OptionSet set;
    int width = 0;
    for (const QCommandLineOption &option : set.own())
        width = std::max(width, columnsOf(optionColumn(option)));
    QString text =
        QStringLiteral("用法：corvane [选项]\n不带 --due、--copy-register-to 或保护模式的选项时打开 Corvane "
                       "的登录窗口。\n\n选项：\n");
    for (const QCommandLineOption &option : set.own()) {
        const QString column = optionColumn(option);
        text += QStringLiteral("  ") + column + QString(width - columnsOf(column) + 2, QLatin1Char(' ')) +
                option.description() + QLatin1Char('\n');
    }
    return text +
           QStringLiteral("\n数据库和密钥文件默认放在 $XDG_DATA_HOME/corvane（通常是 "
                          "~/.local/share/corvane）；\n程序所在的文件夹中有 db.mdb "
                          "时使用该文件夹。\n--register 选择的数据库按文件夹记住，但不记住密码；与 --due 或 "
                          "--copy-register-to 一起用时只读取，不记住；与保护模式的选项一起用时也不记住。\n"
                          "保护模式的选项从标准输入读取密码，每行一个；密码错误时退出状态为 1，其他错误为 "
                          "2。\n也可使用 Qt 自己的选项，如 -platform "
                          "offscreen。\n");
}

} // namespace

namespace CommandLine {

QStringList arguments(int argc, char *argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << QString::fromLocal8Bit(argv[i]);
    return list;
}

Options parse(const QStringList &arguments)
{
    const OptionSet set;
    QCommandLineParser parser;
    // Qt's own options are single words after one dash (-platform, -style).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(set.own());
    parser.addOptions(qtOptions());

    Options options;
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        options.error = parseFailure(parser, arguments);
        return options;
    }
    options.help = parser.isSet(set.help);
    options.version = parser.isSet(set.version);
    if (options.help || options.version)
        return options;
    readFolderChoice(parser, set, options);
    if (options.error.isEmpty())
        readCommands(parser, set, options);
    if (options.error.isEmpty())
        readRegister(parser, set, options);
    return options;
}

std::optional<int> answer(const Options &options)
{
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "corvane: %s\n用 corvane --help 查看可用的选项。\n",
                     options.error.toUtf8().constData());
        return Refused;
    }
    if (options.help) {
        std::fputs(helpText().toUtf8().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs("Corvane " CORVANE_VERSION "\n", stdout);
        return 0;
    }
    return std::nullopt;
}

} // namespace CommandLine
