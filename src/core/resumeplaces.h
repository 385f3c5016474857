#pragma once

#include <QByteArray>
#include <vector>

// Where searched folders were left, as the settings file keeps them: each
// place's folder and file percent-encoded (so any bytes of a name survive)
// and its position, between "|", the places separated by spaces, newest
// first.
struct ResumePlace {
    QByteArray folder;
    QByteArray file;
    double position = 0;
};

namespace resumeplaces {

// Folders remembered; past the last, the oldest is forgotten.
inline constexpr int kMaxPlaces = 50;

// What the places may take in the file: long names in every one of the
// 50 would pass the size the file is trusted at. Older places past it are
// forgotten.
inline constexpr int kMaxBytes = 256 * 1024;

// Entries that are not three fields, or whose position is not a number
// from 0 on, are left out.
std::vector<ResumePlace> parse(const QByteArray& text);
QByteArray format(const std::vector<ResumePlace>& places);

} // namespace resumeplaces
