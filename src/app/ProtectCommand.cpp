#include "app/ProtectCommand.h"

#include "app/CommandLine.h"
#include "app/CommandRegister.h"
#include "legacy/JetImport.h"
#include "platform/ProgramFolder.h"
#include "platform/SingleInstance.h"
#include "platform/TextBytes.h"
#include "secrets/TrailerStore.h"
#include "sites/Protection.h"
#include "store/Connection.h"
#include "store/RegisterAddress.h"
#include "store/StoreError.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

using Step = CommandLine::ProtectionStep;

const int MinimumPasswordBytes = 6;

int fail(const QString &reason, int status = ProtectCommand::Failed)
{
    std::fprintf(stderr, "corvane: %s\n", reason.toUtf8().constData());
    return status;
}

void say(const QString &line)
{
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
}

// A password typed on a terminal is not shown, as passwd does it.
class HiddenTyping
{
public:
    HiddenTyping() : m_terminal(::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &m_shown) == 0)
    {
        if (!m_terminal)
            return;
        termios hidden = m_shown;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    }
    ~HiddenTyping()
    {
        if (!m_terminal)
            return;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &m_shown);
        std::fputc('\n', stderr);
    }
    HiddenTyping(const HiddenTyping &) = delete;
    HiddenTyping &operator=(const HiddenTyping &) = delete;
    bool onTerminal() const { return m_terminal; }

private:
    termios m_shown{};
    bool m_terminal = false;
};

// The next line of standard input without its line end; a terminal is asked for it by name.
// Passwords may begin or end with blanks, so nothing else is taken off.
QString readPassword(const QString &what)
{
    HiddenTyping hidden;
    if (hidden.onTerminal()) {
        std::fprintf(stderr, "%s：", what.toUtf8().constData());
        std::fflush(stderr);
    }
    std::string line;
    if (!std::getline(std::cin, line))
        throw Protection::Refused(QStringLiteral("标准输入中缺少%1（每行一个密码）").arg(what));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const QString password = QString::fromLocal8Bit(line.data(), qsizetype(line.size()));
    std::fill(line.begin(), line.end(), '\0');
    return password;
}

QStringList linesOf(Step step)
{
    switch (step) {
    case Step::Protect:
        return {QStringLiteral("登录密码")};
    case Step::Unprotect:
        return {QStringLiteral("密码")};
    case Step::AddSlot:
        return {QStringLiteral("现有的密码"), QStringLiteral("新密码")};
    case Step::ChangePassword:
        return {QStringLiteral("原密码"), QStringLiteral("新密码")};
    case Step::None:
        break;
    }
    return {};
}

QStringList readPasswords(Step step)
{
    QStringList passwords;
    for (const QString &what : linesOf(step))
        passwords << readPassword(what);
    return passwords;
}

// An unprotected register's login password lives in key.exe: changed there as the login window
// changes it.
void changeLoginPassword(const QString &current, const QString &next)
{
    QString stored;
    readSecret(SecretStore::loginPassword(), stored);
    if (current != stored)
        throw Protection::WrongPassword();
    if (TextBytes::byteLength(next) < MinimumPasswordBytes)
        throw Protection::Refused(QStringLiteral("密码位数小于6位"));
    if (writeSecret(SecretStore::loginPassword(), next) != WriteResult::Written)
        throw Protection::Refused(QStringLiteral("密码修改出错,请检查是否缺少必要的文件"));
}

// Runs the step; returns the line that says it is done.
QString perform(const CommandLine::Options &options, Connection &connection, const QStringList &passwords)
{
    const QString name = options.slotName.trimmed();
    switch (options.protection) {
    case Step::Protect: {
        const QString slot = name.isEmpty() ? Protection::defaultSlotName() : name;
        Protection::protect(&connection, slot, passwords.at(0));
        return QStringLiteral("数据库已启用保护模式，密码名称：") + slot;
    }
    case Step::Unprotect:
        Protection::unprotect(&connection, passwords.at(0));
        return QStringLiteral("数据库已关闭保护模式");
    case Step::AddSlot:
        Protection::addSlot(&connection, passwords.at(0), name, passwords.at(1));
        return QStringLiteral("已添加密码：") + name;
    case Step::ChangePassword:
        if (!connection.isProtected()) {
            changeLoginPassword(passwords.at(0), passwords.at(1));
            return QStringLiteral("登录密码修改成功！");
        }
        return QStringLiteral("密码修改成功：") +
               Protection::changePassword(&connection, passwords.at(0), passwords.at(1));
    case Step::None:
        break;
    }
    return QString();
}

// The register is opened before any password is asked for, so that one that cannot be used is
// refused at once; an earlier installation's is converted as at login.
void openRegister(Connection &connection, const RegisterAddress &address)
{
    connection.setPreparation(&JetImport::prepareRegister);
    address.applyTo(connection);
    connection.open();
    const QString notice = connection.takeConversionNotice();
    if (!notice.isEmpty())
        say(QString(notice).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}

int runOn(const CommandLine::Options &options, const RegisterAddress &address)
{
    try {
        Connection connection;
        openRegister(connection, address);
        const QStringList passwords = readPasswords(options.protection);
        say(perform(options, connection, passwords));
        return ProtectCommand::Done;
    } catch (const Protection::WrongPassword &) {
        return fail(options.protection == Step::ChangePassword ? QStringLiteral("原始密码输入有错")
                                                               : QStringLiteral("密码出错"),
                    ProtectCommand::WrongPassword);
    } catch (const Protection::Refused &refused) {
        return fail(refused.message());
    } catch (const StoreError &error) {
        return fail(QStringLiteral("数据库出错：") + error.message());
    } catch (const std::exception &error) {
        return fail(QStringLiteral("软件出错,请检查是否缺少必要的文件：") +
                    QString::fromLocal8Bit(error.what()));
    }
}

} // namespace

namespace ProtectCommand {

int run(const CommandLine::Options &options)
{
    ProgramFolder::use(CommandRegister::folderInUse(options));
    const RegisterAddress address = CommandRegister::toRead(options);
    if (!address.isServer() && !JetImport::isJetFile(address.path()))
        if (const QString refusal = RegisterAddress::refusalOfFile(address.path()); !refusal.isEmpty())
            return fail(refusal);
    // Windows open on the register would go on writing credentials the old way: switching waits
    // until the program has ended. Slots and passwords do not touch what the windows write.
    std::optional<SingleInstance> instance;
    if (options.protection == Step::Protect || options.protection == Step::Unprotect) {
        instance.emplace(QStringLiteral("Corvane"));
        if (!instance->acquired())
            return fail(QStringLiteral("Corvane 正在运行，请先退出程序再切换保护模式"));
    }
    return runOn(options, address);
}

} // namespace ProtectCommand
