#pragma once

#include <QByteArray>

// Opens a file for reading by its exact path bytes, only when it is a
// regular file (after links): a pipe or a device would block or never end.
// The open does not block, even on a pipe swapped in after a check.
// Returns the descriptor, or -1.
int openRegularFile(const QByteArray& path);
