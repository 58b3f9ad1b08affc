#pragma once

#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

// A program folder and a private runtime folder that live as long as the fuzzing run,
// so the targets can go through the program's own file steps.
class FuzzWorld
{
public:
    FuzzWorld()
    {
        if (!m_program.isValid() || !m_runtime.isValid())
            std::abort();
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        ProgramFolder::use(m_program.path());
    }

    QString folder() const { return m_program.path(); }
    QString file(const QString &name) const { return QDir(m_program.path()).filePath(name); }
    QString workFolder() const { return QDir(m_runtime.path()).filePath(QStringLiteral("corvane")); }

    void writeFile(const QString &name, const QByteArray &bytes) const
    {
        QFile out(file(name));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
            std::abort();
    }
    QByteArray readFile(const QString &name) const
    {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_program;
    QTemporaryDir m_runtime;
};
