#include "playback/playcommands.h"

#include "playback/mediaplayer.h"
#include "playback/videowindow.h"
#include "search/listview.h"

#include <algorithm>

void PlaySelected(PlaybackContext& context)
{
    if (context.isVideoMode())
        context.closePictureWindow();
    ListView& list = context.list;
    list.setFocus();
    const int row = list.selectedIndex();
    if (row == 0)
        return;
    VideoWindow& window = context.videoWindow();
    MediaPlayer& player = window.player();
    if (player.setFileName(list.fullPath(row))) {
        window.setWindowTitle(list.rowText(row));
        // Rewinding carries on from the clip's end. One timer step before
        // it: a clip put exactly at its end would end at once and hand over
        // to the next row instead.
        const bool placed = context.scanMode != kScanRewind ||
                            player.setCurrentPosition(std::max(0.0, player.Duration() - 1.0));
        if (placed)
            player.Play();
    }
    list.setFocus();
}

void SelectNextRow(ListView& list)
{
    const int row = list.selectedIndex();
    if (row == 0)
        return;
    const int target = row < list.count() ? row + 1 : 1;
    list.select(target);
    list.EnsureVisible(target);
    list.select(target);
    list.setFocus();
}

void SelectPreviousRow(ListView& list)
{
    const int row = list.selectedIndex();
    if (row == 0)
        return;
    const int target = row == 1 ? list.count() : row - 1;
    list.select(target);
    list.EnsureVisible(target);
    list.select(target);
    list.setFocus();
}

void ScanStep(PlaybackContext& context)
{
    if (context.scanMode == kScanFast) {
        if (VideoWindow* window = context.existingVideoWindow()) {
            MediaPlayer& player = window->player();
            player.setCurrentPosition(player.CurrentPosition() + 1);
        }
    } else if (context.scanMode == kScanRewind) {
        VideoWindow* window = context.existingVideoWindow();
        const bool stepped = window && window->player().setCurrentPosition(window->player().CurrentPosition() - 1);
        if (!stepped) {
            SelectPreviousRow(context.list);
            PlaySelected(context);
        }
    }
}
