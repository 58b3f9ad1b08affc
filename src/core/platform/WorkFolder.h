#pragma once

#include <QString>

// The private per-user folder for the carriers' work files and the instance lock: never
// a folder anyone else owns or can enter.
namespace WorkFolder {
// The usual folder, created (mode 0700) when needed. When it is not the user's alone
// (someone else made it, or it is open to group or world), a fresh private folder made
// for this run instead. An empty string only when no folder at all can be made.
QString path();
// Full path of a work file; throws std::runtime_error when no private folder can be had.
QString file(const QString &name);
} // namespace WorkFolder
