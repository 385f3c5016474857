#pragma once

#include <QSize>
#include <functional>

class ListView;
class PictureCache;
class PictureWindow;

// What showing a picture reads and drives.
struct PictureContext {
    std::function<bool()> isStillPictureMode;
    std::function<void()> closeVideoWindow;
    // The picture window, created hidden when it does not exist.
    std::function<PictureWindow&()> pictureWindow;
    ListView& list;
    PictureCache& cache;
    // Shows the selected row again (once a large picture is read).
    std::function<void()> showSelectedAgain;
};

// Shows the list's selected row in the picture window, its longer side
// 7000 twips, centred; stops silently at the first failure. The
// neighbouring rows' pictures are then read ahead. A large picture that
// cannot be decoded at its shown size is read in the background and shown
// when it is ready, if its row is still the one selected.
void ShowSelectedPicture(PictureContext& context);

// The pixel size a picture of that natural size is shown at: its longer
// side 7000 twips, or in full screen as large as the screen (of that
// size, in device-independent pixels) holds it.
QSize shownPixelSize(QSize natural, double devicePixelRatio);
QSize fullScreenPixelSize(QSize natural, QSize screen, double devicePixelRatio);
