#include "viewer/showpicture.h"

#include "platform/twips.h"
#include "list/listview.h"
#include "viewer/picturecache.h"
#include "viewer/picturefit.h"
#include "viewer/pictureimage.h"
#include "viewer/picturewindow.h"

#include <cmath>

using picturefit::kTargetSide;

QSize shownPixelSize(QSize natural, double devicePixelRatio)
{
    const picturefit::Size fitted = picturefit::FitPicture(
        kTargetSide, kTargetSide, {twips::fromPixels(natural.width()), twips::fromPixels(natural.height())});
    return deviceSize(QSize(twips::toPixels(fitted.width), twips::toPixels(fitted.height)), devicePixelRatio);
}

QSize fullScreenPixelSize(QSize natural, QSize screen, double devicePixelRatio)
{
    const picturefit::Size fitted = picturefit::FitToScreen(
        {double(natural.width()), double(natural.height())}, {double(screen.width()), double(screen.height())});
    return deviceSize(QSize(int(twips::roundHalfEven(fitted.width)), int(twips::roundHalfEven(fitted.height))),
                      devicePixelRatio);
}

namespace {

// A picture read within a frame is shown at once, a later one once read.
constexpr std::chrono::milliseconds kShowPatience{16};

// The rows before and after the row, wrapping round; none in a list of one.
QList<QByteArray> neighbourPaths(ListView& list, int row)
{
    const int count = list.count();
    if (count < 2)
        return {};
    return {list.fullPath(row < count ? row + 1 : 1), list.fullPath(row > 1 ? row - 1 : count)};
}

} // namespace

void ShowSelectedPicture(PictureContext& context)
{
    if (context.isStillPictureMode())
        context.closeVideoWindow();
    ListView& list = context.list;
    list.setFocus();
    const int row = list.selectedIndex();
    if (row == 0)
        return;
    PictureWindow& window = context.pictureWindow();
    PictureImage& image = window.image();
    image.setStretch(false);
    const QByteArray path = list.fullPath(row);
    const QList<QByteArray> neighbours = neighbourPaths(list, row);
    context.cache.keepOnly(QList<QByteArray>{path} + neighbours);
    const std::optional<PictureCache::Picture> picture =
        context.cache.ask(path, kShowPatience, [&list, row, path, again = context.showSelectedAgain] {
            if (list.selectedIndex() == row && list.fullPath(row) == path)
                again();
        });
    if (!picture) {
        // Stops silently; a late picture is shown when it is read.
        image.setVisible(false);
        list.setFocus();
        return;
    }
    image.setPicture(picture->natural, picture->image);
    const twips::Rect natural = image.geometryTwips();
    const picturefit::Size fitted =
        window.isFullScreen()
            ? picturefit::FitToScreen({natural.width, natural.height},
                                      {twips::fromPixels(window.width()), twips::fromPixels(window.height())})
            : picturefit::FitPicture(kTargetSide, kTargetSide, {natural.width, natural.height});
    image.setSizeTwips(fitted.width, fitted.height);
    image.setStretch(true);
    image.setVisible(true);
    window.CenterPicture();
    window.setWindowTitle(list.rowText(row));
    list.setFocus();
    for (const QByteArray& neighbour : neighbours)
        context.cache.readAhead(neighbour);
}
