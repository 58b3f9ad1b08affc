#pragma once

#include <QDate>
#include <QString>

// What the windows share while the program runs: the secret key read once the register
// is open, and the cut-offs of the last counter refresh, which the expiry list selects by.
// A cut-off never computed is an invalid date, and a list asked for by it fails.
class Session
{
public:
    QString secretKey() const { return m_secretKey; }
    void setSecretKey(const QString &key) { m_secretKey = key; }

    QDate hostingCutOff() const { return m_hostingCutOff; }
    QDate domainCutOff() const { return m_domainCutOff; }
    void setCutOffs(const QDate &hosting, const QDate &domain)
    {
        m_hostingCutOff = hosting;
        m_domainCutOff = domain;
    }

private:
    QString m_secretKey;
    QDate m_hostingCutOff;
    QDate m_domainCutOff;
};
