#pragma once

#include <QString>
#include <functional>

class ListView;
class VideoWindow;

// What playing a row reads and drives.
struct PlaybackContext {
    std::function<bool()> isVideoMode; // Option1 selected
    std::function<void()> closePictureWindow;
    // The video window, created hidden when it does not exist.
    std::function<VideoWindow&()> videoWindow;
    // The video window when it exists, else nullptr.
    std::function<VideoWindow*()> existingVideoWindow;
    ListView& list;
    const QString& scanMode;
};

// Plays the list's selected row in the video window; stops silently at
// the first failure, with the list focused.
void PlaySelected(PlaybackContext& context);

// Moves the selection one row on or back, wrapping at the ends; nothing
// happens when no row is selected.
void SelectNextRow(ListView& list);
void SelectPreviousRow(ListView& list);

// One tick of the scan timer: one second forward while fast forwarding,
// one second back while rewinding (past the start: the previous row, from
// its end).
void ScanStep(PlaybackContext& context);

inline const QString kScanNormal = QStringLiteral("NOMAL");
inline const QString kScanFast = QStringLiteral("HAYA");
inline const QString kScanRewind = QStringLiteral("MAKI");
