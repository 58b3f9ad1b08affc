#pragma once

#include <QString>

#include <stdexcept>

// A failure of the register: each handler catches it at its edge and shows its own message.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

// A protected credential that does not open: changed, damaged or moved from another site. The
// message is the line to show the user.
class BrokenCredential : public StoreError
{
public:
    BrokenCredential() : StoreError(QStringLiteral("此网站的账号密码资料无法解密：数据已被改动或损坏")) {}
};
