#pragma once

#include <QString>

// The URL cache's private folders are named after the process that made them, so that a
// program that was killed before it could remove its own leaves a folder the next start
// can tell is nobody's.

// The name pattern of a new cache folder of this process, for QTemporaryDir, in folder.
QString cacheFolderTemplate(const QString& folder);

// Removes the cache folders in folder whose process has ended. A folder of a live process,
// a symbolic link or a folder of another user is left alone. Gives how many were removed.
int removeStaleCacheFolders(const QString& folder);
