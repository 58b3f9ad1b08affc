#include "store/RememberedRegister.h"

#include "platform/UserSettings.h"

#include <QDir>
#include <QList>

namespace {

const QString ArrayName = QStringLiteral("registers");
const QString FolderKey = QStringLiteral("folder");
const QString RegisterKey = QStringLiteral("register");

struct Entry
{
    QString folder;
    QString shownText;
};

QString folderKeyOf(const QString &folder)
{
    return QDir::cleanPath(QDir(folder).absolutePath());
}

// Folder paths hold slashes, which Qt's settings take for groups: the choices are a list.
QList<Entry> readEntries(QSettings &settings)
{
    QList<Entry> entries;
    const int count = settings.beginReadArray(ArrayName);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        entries.append({settings.value(FolderKey).toString(), settings.value(RegisterKey).toString()});
    }
    settings.endArray();
    return entries;
}

void writeEntries(QSettings &settings, const QList<Entry> &entries)
{
    settings.remove(ArrayName);
    settings.beginWriteArray(ArrayName, int(entries.size()));
    for (int i = 0; i < entries.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(FolderKey, entries.at(i).folder);
        settings.setValue(RegisterKey, entries.at(i).shownText);
    }
    settings.endArray();
}

} // namespace

namespace RememberedRegister {

RegisterAddress recall(const QString &folder)
{
    UserSettings settings;
    const QString key = folderKeyOf(folder);
    for (const Entry &entry : readEntries(settings)) {
        if (entry.folder != key)
            continue;
        QString refusal;
        return RegisterAddress::fromText(entry.shownText, refusal);
    }
    return {};
}

bool remember(const QString &folder, const RegisterAddress &address)
{
    UserSettings settings;
    const QString key = folderKeyOf(folder);
    QList<Entry> entries = readEntries(settings);
    entries.removeIf([&key](const Entry &entry) { return entry.folder == key; });
    // The folder's own db.mdb is what nothing remembered stands for.
    if (!address.isNone() && address != RegisterAddress::inFolder(key))
        entries.append({key, address.shownText()});
    writeEntries(settings, entries);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace RememberedRegister
