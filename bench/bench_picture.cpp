// Time from ShowSelectedPicture to the picture painted, beside djpeg,
// dwebp, libspng's and Qt's own whole decode; a step to a picture read ahead; memory
// while stepping through 100 photos.
#include "platform/leanmemory.h"
#include "benchprogram.h"
#include "mainwindow/mainwindow.h"
#include "list/listview.h"
#include "playback/transport.h"
#include "viewer/pictureimage.h"
#include "viewer/picturewindow.h"

#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <algorithm>
#include <spng.h>
#include <cstdio>
#include <unistd.h>

namespace {

// libspng decoding the whole picture from the file's bytes, as fast as a
// PNG decodes here.
double spngWholeMs(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    spng_ctx* png = spng_ctx_new(0);
    spng_set_png_buffer(png, bytes.constData(), size_t(bytes.size()));
    size_t size = 0;
    spng_decoded_image_size(png, SPNG_FMT_RGB8, &size);
    std::vector<uchar> pixels(size);
    spng_decode_image(png, pixels.data(), size, SPNG_FMT_RGB8, 0);
    spng_ctx_free(png);
    return clock.nsecsElapsed() / 1e6;
}

// A photo-like picture: gradients and detail, so the codec has work to do.
void makePicture(const QString& path, int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(30, 90, 200));
    sky.setColorAt(1, QColor(250, 200, 120));
    painter.fillRect(image.rect(), sky);
    for (int i = 0; i < 400; ++i) {
        painter.setPen(QColor::fromHsv((i * 37) % 360, 200, 220));
        painter.drawEllipse(QPointF((i * 7919) % width, (i * 104729) % height), width / 40.0, height / 50.0);
    }
    painter.end();
    if (QByteArray(format) == "GIF") { // Qt reads GIF but does not write it
        image.save(path + ".png");
        QProcess::execute("convert", {path + ".png", path});
        return;
    }
    image.save(path, format, 90);
}

double processMs(const QString& program, const QStringList& args)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    p.waitForFinished(60000);
    return clock.nsecsElapsed() / 1e6;
}

struct Viewer {
    Application& app;
    ListView& list;
    PictureWindow& window;

    void show(const QList<QByteArray>& paths)
    {
        list.clearRows();
        for (const QByteArray& p : paths)
            list.appendRow(p.left(p.lastIndexOf('/') + 1), p.mid(p.lastIndexOf('/') + 1), 1);
        list.count();
    }
    double showAndPaint()
    {
        QElapsedTimer clock;
        clock.start();
        app.showSelectedRow();
        // A large picture that only decodes whole is shown once read in the background.
        waitUntil([this] { return window.image().isVisible(); }, 10000);
        window.image().repaint();
        return clock.nsecsElapsed() / 1e6;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    keepMemoryLean(); // as the program does
    QApplication qt(argc, argv);
    QTemporaryDir pictures;
    QTemporaryDir config;
    const auto program = startBenchProgram(config.path());
    Application& app = *program;
    app.mainWindow().pictureModeOption->setChecked(true);
    PictureWindow& window = app.pictureWindow();
    window.show();
    Viewer viewer{app, *app.mainWindow().fileList, window};

    const struct {
        const char* name;
        int width, height;
        const char* format;
    } kinds[] = {{"1920x1080.jpg", 1920, 1080, "JPEG"}, {"4000x3000.jpg", 4000, 3000, "JPEG"},
                 {"6000x4000.jpg", 6000, 4000, "JPEG"}, {"4000x3000.bmp", 4000, 3000, "BMP"},
                 {"1000x800.gif", 1000, 800, "GIF"},   {"4000x3000.webp", 4000, 3000, "WEBP"},
                 {"4000x3000.png", 4000, 3000, "PNG"}};
    for (const auto& kind : kinds) {
        const QString source = pictures.filePath(QLatin1String(kind.name));
        makePicture(source, kind.width, kind.height, kind.format);
        std::vector<double> ours, scaled, full, qtWhole, spngWhole;
        for (int i = 0; i < 10; ++i) {
            // A fresh path each time: nothing was read ahead.
            const QString copy = pictures.filePath(QStringLiteral("copy%1-").arg(i) + QLatin1String(kind.name));
            ::link(QFile::encodeName(source).constData(), QFile::encodeName(copy).constData());
            viewer.show({QFile::encodeName(copy)});
            ours.push_back(viewer.showAndPaint());
            if (QByteArray(kind.format) == "JPEG") {
                scaled.push_back(processMs("djpeg", {"-scale", "1/8", source}));
                full.push_back(processMs("djpeg", {source}));
            }
            if (QByteArray(kind.format) == "WEBP") {
                const QSize shown = window.image().picture().size();
                scaled.push_back(processMs("dwebp", {"-scale", QString::number(shown.width()),
                                                     QString::number(shown.height()), source}));
            }
            if (QByteArray(kind.format) == "PNG")
                spngWhole.push_back(spngWholeMs(source));
            if (QByteArray(kind.format) == "PNG" || QByteArray(kind.format) == "WEBP") {
                QElapsedTimer clock;
                clock.start();
                QImage whole(source);
                qtWhole.push_back(clock.nsecsElapsed() / 1e6);
            }
        }
        if (QByteArray(kind.format) == "WEBP") {
            std::printf("%-14s shown and painted (median of 10): program %.1f ms, dwebp -scale to the shown size %.1f ms "
                        "(ratio %.2f), Qt's whole decode %.1f ms\n",
                        kind.name, median(ours), median(scaled), median(ours) / median(scaled), median(qtWhole));
            continue;
        }
        if (QByteArray(kind.format) == "PNG") {
            std::printf("%-14s shown and painted (median of 10): program %.1f ms, libspng's whole decode %.1f ms "
                        "(ratio %.2f), Qt's whole decode %.1f ms (ratio %.2f)\n",
                        kind.name, median(ours), median(spngWhole), median(ours) / median(spngWhole), median(qtWhole),
                        median(ours) / median(qtWhole));
            continue;
        }
        if (scaled.empty())
            std::printf("%-14s shown and painted (median of 10): program %.1f ms\n", kind.name, median(ours));
        else
            std::printf("%-14s shown and painted (median of 10): program %.1f ms, djpeg -scale 1/8 %.1f ms (ratio %.2f), "
                        "djpeg %.1f ms\n",
                        kind.name, median(ours), median(scaled), median(ours) / median(scaled), median(full));
    }

    // Stepping with the space bar through 100 photos of 6000×4000.
    QList<QByteArray> photos;
    for (int i = 0; i < 100; ++i) {
        const QString link = pictures.filePath(QStringLiteral("step%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        ::link(QFile::encodeName(pictures.filePath("6000x4000.jpg")).constData(), QFile::encodeName(link).constData());
        photos << QFile::encodeName(link);
    }
    viewer.show(photos);
    viewer.showAndPaint();
    std::vector<double> steps;
    long rssAfter10 = 0;
    for (int i = 1; i < 100; ++i) {
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 250) // a person looks at each picture a moment
            qt.processEvents(QEventLoop::AllEvents, 10);
        QElapsedTimer clock;
        clock.start();
        SelectNextRow(viewer.list);
        viewer.app.showSelectedRow();
        window.image().repaint();
        steps.push_back(clock.nsecsElapsed() / 1e6);
        if (i == 10)
            rssAfter10 = statusKb("VmRSS");
    }
    std::printf("step to a picture read ahead (6000x4000, median of 99): %.1f ms\n", median(steps));
    std::vector<double> toggles;
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer clock;
        clock.start();
        window.toggleFullScreen();
        waitUntil([&window] { return window.image().isVisible(); }, 5000);
        window.image().repaint();
        toggles.push_back(clock.nsecsElapsed() / 1e6);
        idleFor(100);
    }
    std::printf("full screen on or off to the 6000x4000 picture painted at its new size (median of 10): %.1f ms\n",
                median(toggles));
    std::printf("resident memory stepping through 100 photos: %ld MiB after 10, %ld MiB after 100\n", rssAfter10 / 1024,
                statusKb("VmRSS") / 1024);
    return 0;
}
