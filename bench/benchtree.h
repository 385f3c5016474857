#pragma once

#include <QByteArray>

// A deterministic tree for the search benchmarks: 20,000 folders and
// 200,000 files with the eleven media extensions, picture extensions and
// others, in mixed case, with Japanese names, some folders named like
// media, and one folder of 10,000 entries. Made once under /tmp.
QByteArray benchTree();

// One folder of 1,000,000 files (a tenth of them media), made once under /tmp.
QByteArray benchMillionFolder();
