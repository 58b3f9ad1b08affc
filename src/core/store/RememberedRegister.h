#pragma once

#include "store/RegisterAddress.h"

#include <QString>

// The register each register folder was last pointed at, kept per user in Qt's settings
// (~/.config/corvane/corvane.conf). It is kept by folder because the folder's carriers hold the
// login password and the secret key that go with that register: a folder carried on a USB stick
// keeps its own db.mdb whatever another folder's desk chose. A server's password is never kept.
namespace RememberedRegister {

// None when nothing is remembered for the folder, or what is remembered cannot be read back.
RegisterAddress recall(const QString &folder);
// None, or the folder's own db.mdb, forgets the folder's choice. False when the settings could
// not be written.
bool remember(const QString &folder, const RegisterAddress &address);

} // namespace RememberedRegister
