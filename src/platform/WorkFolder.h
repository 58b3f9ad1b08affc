#pragma once

#include <QString>

// The private per-user folder for the carriers' work files: never a shared folder.
namespace WorkFolder {
// Creates the folder (mode 0700) when needed; returns an empty string when it
// cannot be made private (owned by someone else, or open to group or world).
QString path();
// Full path of a work file; throws std::runtime_error when no private folder can be had.
QString file(const QString &name);
} // namespace WorkFolder
