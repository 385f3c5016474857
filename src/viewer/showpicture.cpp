#include "viewer/showpicture.h"

#include "platform/twips.h"
#include "list/listview.h"
#include "viewer/picturecache.h"
#include "viewer/picturefit.h"
#include "viewer/pictureloader.h"
#include "viewer/pictureimage.h"
#include "viewer/picturewindow.h"

#include <cmath>

using picturefit::kTargetSide;

QSize shownPixelSize(QSize natural, double devicePixelRatio)
{
    const picturefit::Size fitted = picturefit::FitPicture(
        kTargetSide, kTargetSide, {twips::fromPixels(natural.width()), twips::fromPixels(natural.height())});
    const auto pixels = [devicePixelRatio](double length) {
        return std::max(1, int(std::lround(length / twips::kPerPixel * devicePixelRatio)));
    };
    return QSize(pixels(fitted.width), pixels(fitted.height));
}

QSize fullScreenPixelSize(QSize natural, QSize screen, double devicePixelRatio)
{
    const picturefit::Size fitted = picturefit::FitToScreen(
        {double(natural.width()), double(natural.height())}, {double(screen.width()), double(screen.height())});
    return QSize(std::max(1, int(std::lround(fitted.width * devicePixelRatio))),
                 std::max(1, int(std::lround(fitted.height * devicePixelRatio))));
}

namespace {

void readNeighboursAhead(ListView& list, PictureCache& cache, int row)
{
    const int count = list.count();
    if (count < 2)
        return;
    cache.readAhead(list.fullPath(row < count ? row + 1 : 1));
    cache.readAhead(list.fullPath(row > 1 ? row - 1 : count));
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
    image.setVisible(false);
    const QByteArray path = list.fullPath(row);
    if (!context.cache.isReady(path) && !pictureloader::decodesQuickly(path)) {
        context.cache.readAhead(path, [&list, row, path, again = context.showSelectedAgain] {
            if (list.selectedIndex() == row && list.fullPath(row) == path)
                again();
        });
        return;
    }
    const auto picture = context.cache.obtain(path);
    if (picture) {
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
    }
    list.setFocus();
    if (picture)
        readNeighboursAhead(list, context.cache, row);
}
