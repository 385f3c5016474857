#include "mainwindow/mainwindow.h"
#include "list/listview.h"
#include "playback/transport.h"
#include "playback/videowindow.h"
#include "support/programprocess.h"
#include "support/testsupport.h"
#include "viewer/bmpreader.h"
#include "viewer/pngreader.h"
#include "viewer/picturecache.h"
#include "viewer/picturefit.h"
#include "viewer/pictureimage.h"
#include "viewer/pictureloader.h"
#include "viewer/picturewindow.h"
#include "viewer/showpicture.h"

#include <QPainter>
#include <QRadioButton>
#include <QElapsedTimer>
#include <QBuffer>
#include <QtEndian>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::TestProgram;

namespace {

using testsupport::fixtureFolder;

// A program in still-picture mode whose list holds the given rows.
void fill(Application& app, const QList<QByteArray>& names, const QByteArray& folder = fixtureFolder())
{
    app.mainWindow().pictureModeOption->setChecked(true);
    testsupport::fillRows(app, names, folder);
}

// Shows the selected row, and waits for its picture when it is read late.
bool showSelected(Application& app)
{
    app.showSelectedRow();
    return testsupport::waitFor([&app] { return !app.pictureCache().hasLateCalls(); });
}

// A PNG that is only its header: enough for the reader's size and format.
QByteArray pngHeader(quint32 width, quint32 height, quint8 bitDepth, quint8 colourType)
{
    const auto crc32 = [](const QByteArray& bytes) {
        quint32 crc = 0xffffffff;
        for (const char byte : bytes) {
            crc ^= quint8(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
        }
        return ~crc;
    };
    const auto bigEndian = [](quint32 value) {
        const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
        return QByteArray(bytes, 4);
    };
    const auto chunk = [&](const char* type, const QByteArray& data) {
        const QByteArray typed = QByteArray(type) + data;
        return bigEndian(data.size()) + typed + bigEndian(crc32(typed));
    };
    const char format[] = {char(bitDepth), char(colourType), 0, 0, 0};
    const QByteArray header = bigEndian(width) + bigEndian(height) + QByteArray(format, 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", {}) + chunk("IEND", {});
}

// An uncompressed BMP of the picture: 8 bits with a palette, 24 or 32 bits; rows bottom-up or top-down.
QByteArray bmpOf(const QImage& picture, int bits, bool topDown)
{
    const QImage pixels = bits == 8 ? picture.convertToFormat(QImage::Format_Indexed8) : picture.convertToFormat(QImage::Format_RGB32);
    const int width = pixels.width();
    const int height = pixels.height();
    const int stride = (width * bits + 31) / 32 * 4;
    const int paletteBytes = bits == 8 ? 4 * int(pixels.colorCount()) : 0;
    const int offset = 54 + paletteBytes;
    QByteArray file(offset + stride * height, '\0');
    const auto put = [&file](int at, quint32 value, int size) {
        for (int i = 0; i < size; ++i)
            file[at + i] = char(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, quint32(file.size()), 4);
    put(10, quint32(offset), 4);
    put(14, 40, 4);
    put(18, quint32(width), 4);
    put(22, quint32(topDown ? -height : height), 4);
    put(26, 1, 2);
    put(28, quint32(bits), 2);
    put(46, quint32(pixels.colorCount()), 4);
    for (int i = 0; i < pixels.colorCount(); ++i)
        put(54 + 4 * i, pixels.color(i) & 0xffffff, 4); // blue, green, red, 0
    for (int y = 0; y < height; ++y) {
        char* row = file.data() + offset + qsizetype(topDown ? y : height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            if (bits == 8) {
                row[x] = char(pixels.pixelIndex(x, y));
                continue;
            }
            const QRgb colour = pixels.pixel(x, y);
            char* pixel = row + x * bits / 8;
            pixel[0] = char(qBlue(colour));
            pixel[1] = char(qGreen(colour));
            pixel[2] = char(qRed(colour));
        }
    }
    return file;
}

// The largest mean difference of one row of two pictures of one size, in
// 255ths a channel: one wrong row stands out where the whole picture's mean
// would hide it.
double worstRowDifference(const QImage& a, const QImage& b)
{
    double worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        double sum = 0;
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) +
                   std::abs(qAlpha(p) - qAlpha(q));
        }
        worst = std::max(worst, sum / (3.0 * a.width()));
    }
    return worst;
}

// A picture with edges and gradients, and an odd width (rows padded); with
// alpha, its opacity falls from left to right.
QImage edgesAndGradients(QImage::Format format)
{
    QImage picture(641, 480, QImage::Format_ARGB32);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 641, 480);
    gradient.setColorAt(0, Qt::red);
    gradient.setColorAt(0.5, Qt::yellow);
    gradient.setColorAt(1, Qt::blue);
    painter.fillRect(picture.rect(), gradient);
    painter.setPen(QPen(Qt::black, 3));
    for (int x = 0; x < 641; x += 37)
        painter.drawLine(x, 0, 641 - x, 480);
    painter.end();
    if (format == QImage::Format_ARGB32)
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, (picture.pixel(x, y) & 0xffffff) | uint(255 - x * 255 / 640) << 24);
    return picture.convertToFormat(format);
}

const QSize kReducedSizes[] = {QSize(641, 480), QSize(467, 350), QSize(187, 140)};

// How far the shown picture is from Qt's decode in full colour, smoothly
// scaled (Qt scales a palette picture more roughly as it stands).
double differenceFromQt(const QByteArray& path, QSize target)
{
    const QImage shown = pictureloader::decode(path, target);
    const QImage qtDecoded = QImage(QFile::decodeName(path)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (shown.size() != target || qtDecoded.isNull())
        return 255;
    return worstRowDifference(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                              qtDecoded.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class ViewerTest : public QObject {
    Q_OBJECT
private slots:
    void fitsTheLongerSideTo7000Twips()
    {
        const auto landscape = picturefit::FitPicture(7000, 7000, {9600, 7200});
        QCOMPARE(landscape.width, 7000.0);
        QCOMPARE(landscape.height, 5250.0);
        const auto portrait = picturefit::FitPicture(7000, 7000, {4500, 9000});
        QCOMPARE(portrait.width, 3500.0);
        QCOMPARE(portrait.height, 7000.0);
        const auto square = picturefit::FitPicture(7000, 7000, {1500, 1500});
        QCOMPARE(square.width, 7000.0);
        QCOMPARE(square.height, 7000.0);
    }

    void centresByTheOuterSize()
    {
        const auto at = picturefit::CenterPicture(12000, 11520, 7000, 5250);
        QCOMPARE(at.left, 2500L);
        QCOMPARE(at.top, 3135L);
        QCOMPARE(picturefit::CenterPicture(6001, 11520, 7000, 5250).left, -500L);
    }

    void windowFillsTheAreaRightOfTheMainWindow()
    {
        PictureWindow window;
        // A second screen's work area, below a panel: no frame without a window manager.
        window.Form_Load([] { return QRect(1280 + 333, 24, 691, 700); });
        QCOMPARE(window.pos(), QPoint(1280 + 333, 24));
        QCOMPARE(window.size(), QSize(691, 700));
        QCOMPARE(window.windowTitle(), QStringLiteral("スライドショー"));
        const QString help = window.label().caption();
        QCOMPARE(help, PictureWindow::KeyHelpText);
        QCOMPARE(help.count(QChar(13)), 1);
        QVERIFY(!help.contains(QChar(10)));
        QVERIFY(help.contains(QStringLiteral("表示方法１　キーボードの↓で次のファイル↑で前のファイルでファイル選択後Enter で表示")));
        QVERIFY(help.endsWith(QStringLiteral("表示方法２　キーボードのスペースで次のファイル　キーボードの無変換で前のファイル　")));
        // Two lines on screen: dark text in the upper and in the lower half.
        QCOMPARE(window.label().geometry(), twips::toPixelRect({0, 0, 7095, 375}));
        const QImage drawn = window.label().grab().toImage();
        const auto inkRows = [&drawn](int from, int to) {
            int rows = 0;
            for (int y = from; y < to; ++y)
                for (int x = 0; x < drawn.width(); ++x)
                    if (qGray(drawn.pixel(x, y)) < 100) {
                        ++rows;
                        break;
                    }
            return rows;
        };
        QVERIFY(inkRows(0, drawn.height() / 2) >= 4);
        QVERIFY(inkRows(drawn.height() / 2, drawn.height()) >= 4);
    }

    void showsTheSelectedPictureFittedAndCentred()
    {
        TestProgram program;
        fill(*program.app, {"landscape.jpg", "portrait.bmp", "square.gif", "sideways.jpg"});
        PictureWindow& window = program.app->pictureWindow();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(showSelected(*program.app));
        PictureImage& image = window.image();
        QVERIFY(image.isVisible());
        QVERIFY(image.Stretch());
        QCOMPARE(window.windowTitle(), QStringLiteral("landscape.jpg"));
        QCOMPARE(image.geometryTwips().width, 7000.0);
        QCOMPARE(image.geometryTwips().height, 5250.0);
        const auto at = picturefit::CenterPicture(window.outerWidth(), window.outerHeight(), 7000, 5250);
        QCOMPARE(image.geometryTwips().left, double(at.left));
        QCOMPARE(image.geometryTwips().top, double(at.top));
        QVERIFY(program.app->mainWindow().fileList->hasFocus() || !program.app->mainWindow().isActiveWindow());

        const auto expectSize = [&](int row, double width, double height) {
            program.app->mainWindow().fileList->select(row);
            QVERIFY(showSelected(*program.app));
            QCOMPARE(window.windowTitle(), QString::fromLatin1(QList<const char*>({"", "landscape.jpg", "portrait.bmp", "square.gif", "sideways.jpg"})[row]));
            QCOMPARE(image.geometryTwips().width, width);
            QCOMPARE(image.geometryTwips().height, height);
        };
        expectSize(2, 3500, 7000);
        expectSize(3, 7000, 7000);
        // Stored 64×32 and turned by its EXIF orientation: upright it is 32×64.
        expectSize(4, 3500, 7000);
        QCOMPARE(pictureloader::naturalSize(fixtureFolder() + "sideways.jpg"), QSize(32, 64));
    }

    void stepsShowPicturesReadAheadEachDecodedOnceAtItsDrawnSize()
    {
        testsupport::TempTree tree;
        QList<QByteArray> names;
        for (int i = 1; i <= 12; ++i) {
            names << QStringLiteral("%1.jpg").arg(i, 2, 10, QChar(u'0')).toUtf8();
            QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path(QString::fromUtf8(names.last()))));
        }
        TestProgram program;
        fill(*program.app, names, tree.nativeRoot() + '/');
        PictureWindow& window = program.app->pictureWindow();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(showSelected(*program.app));
        const PictureCache& cache = program.app->pictureCache();
        ListView& list = *program.app->mainWindow().fileList;
        const auto neighboursRead = [&](int row) {
            return testsupport::waitFor([&] {
                return cache.isReady(list.fullPath(row % 12 + 1)) && cache.isReady(list.fullPath(row == 1 ? 12 : row - 1));
            });
        };
        QVERIFY(neighboursRead(1));
        QCOMPARE(cache.reads(), 3); // the first picture and its two neighbours
        for (int row = 2; row <= 11; ++row) {
            window.resize(1000 + row, 900); // the picture's left edge lands on other fractions of a pixel
            list.select(row);
            QVERIFY(showSelected(*program.app)); // read ahead: only its file is looked at again
            QCOMPARE(window.windowTitle(), QString::fromUtf8(names[row - 1]));
            QVERIFY(neighboursRead(row));
            QCOMPARE(cache.reads(), 3 + row - 1); // only the new neighbour was read
            QCOMPARE(window.image().picture().size(), window.image().devicePixelSize());
        }
    }

    void resizingRecentresWithoutResizing()
    {
        TestProgram program;
        fill(*program.app, {"landscape.jpg"});
        PictureWindow& window = program.app->pictureWindow();
        window.show();
        QVERIFY(showSelected(*program.app));
        const twips::Rect before = window.image().geometryTwips();
        window.resize(window.width() - 200, window.height() - 100);
        QVERIFY(testsupport::waitFor([&] { return window.image().geometryTwips().left != before.left; }));
        const twips::Rect after = window.image().geometryTwips();
        QCOMPARE(after.width, before.width);
        QCOMPARE(after.height, before.height);
        QCOMPARE(after.left, double(picturefit::CenterPicture(window.outerWidth(), window.outerHeight(), 7000, 5250).left));
    }

    void unreadableRowsLeaveNoPictureAndTheCaption()
    {
        TestProgram program;
        testsupport::TempTree tree;
        tree.addAll({"Holiday.jpg/", "gone.jpg"});
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("good.jpg")));
        fill(*program.app, {"good.jpg", "gone.jpg", "Holiday.jpg", "notes.jpg"}, tree.nativeRoot() + '/');
        QFile notes(tree.path("notes.jpg"));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not a picture");
        notes.close();
        QVERIFY(showSelected(*program.app));
        PictureWindow& window = program.app->pictureWindow();
        QVERIFY(!window.isVisible()); // created hidden, and it stays so
        QCOMPARE(window.windowTitle(), QStringLiteral("good.jpg"));
        QFile::remove(tree.path("gone.jpg"));
        for (int row : {2, 3, 4}) {
            program.app->mainWindow().fileList->select(row);
            QVERIFY(showSelected(*program.app));
            QVERIFY(!window.image().isVisibleTo(&window));
            QCOMPARE(window.windowTitle(), QStringLiteral("good.jpg"));
        }
    }

    void largeAndOddlyNamedPicturesShowAndBombsAreRefused()
    {
        TestProgram program;
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("big.gif"), tree.path("big.gif")));
        QVERIFY(::symlink((fixtureFolder() + "landscape.jpg").constData(), (tree.nativeRoot() + "/bad\xff.jpg").constData()) == 0);
        // A GIF header claiming 60000 × 60000 pixels: refused unread.
        QFile bomb(tree.path("bomb.gif"));
        QVERIFY(bomb.open(QIODevice::WriteOnly));
        bomb.write(QByteArray("GIF89a\x60\xea\x60\xea\xf0\x00\x00", 13) + QByteArray(6, '\0') +
                   QByteArray("\x2c\0\0\0\0\x60\xea\x60\xea\0\x02\x02\x44\x01\0\x3b", 16));
        bomb.close();
        QVERIFY(::mkfifo((tree.nativeRoot() + "/pipe.jpg").constData(), 0600) == 0);
        fill(*program.app, {"big.gif", "bad\xff.jpg", "bomb.gif", "pipe.jpg"}, tree.nativeRoot() + '/');
        PictureWindow& window = program.app->pictureWindow();
        for (const auto& [row, shown] : QList<std::pair<int, bool>>{{1, true}, {2, true}, {3, false}, {4, false}}) {
            window.setWindowTitle("-");
            program.app->mainWindow().fileList->select(row);
            QElapsedTimer clock;
            clock.start();
            program.app->showSelectedRow();
            QVERIFY(clock.elapsed() < 500); // a large picture is decoded in the background
            testsupport::waitFor([&] { return window.image().isVisibleTo(&window); }, shown ? 5000 : 300);
            QCOMPARE(window.image().isVisibleTo(&window), shown);
            QCOMPARE(window.windowTitle() != "-", shown);
        }
    }

    void otherPictureFormatsShow()
    {
        TestProgram program;
        fill(*program.app, {"landscape.jpeg", "wide.png", "tall.webp"});
        for (int row : {1, 2, 3}) {
            program.app->mainWindow().fileList->select(row);
            QVERIFY(showSelected(*program.app));
            QVERIFY(program.app->pictureWindow().image().isVisibleTo(&program.app->pictureWindow()));
            QCOMPARE(program.app->pictureWindow().image().geometryTwips().height, row == 2 ? 3500.0 : row == 3 ? 7000.0 : 5250.0);
        }
    }

    void theMemoryBoundCountsTheRealDepthAndTheScalingCopy_data()
    {
        QTest::addColumn<quint32>("side");
        QTest::addColumn<quint8>("bitDepth");
        QTest::addColumn<quint8>("colourType");
        QTest::addColumn<bool>("accepted");
        // Colour type 2 is RGB, 6 RGBA, 0 grey.
        QTest::newRow("8-bit RGB, 4 bytes a pixel, scaled as it is") << 16000u << quint8(8) << quint8(2) << true;
        QTest::newRow("8-bit RGB past 1 GiB") << 16500u << quint8(8) << quint8(2) << false;
        QTest::newRow("16-bit RGBA, 8 bytes and an 8-byte copy") << 8000u << quint8(16) << quint8(6) << true;
        QTest::newRow("16-bit RGBA past 1 GiB") << 11000u << quint8(16) << quint8(6) << false;
        QTest::newRow("8-bit grey, twice 1 byte and a 4-byte copy") << 13000u << quint8(8) << quint8(0) << true;
        QTest::newRow("8-bit grey past 1 GiB") << 14000u << quint8(8) << quint8(0) << false;
    }

    void theMemoryBoundCountsTheRealDepthAndTheScalingCopy()
    {
        QFETCH(quint32, side);
        QFETCH(quint8, bitDepth);
        QFETCH(quint8, colourType);
        QFETCH(bool, accepted);
        testsupport::TempTree tree;
        writeFile(tree.path("p.png"), pngHeader(side, side, bitDepth, colourType));
        QCOMPARE(pictureloader::naturalSize(QFile::encodeName(tree.path("p.png"))).has_value(), accepted);
    }

    void bitmapsAreReducedAsTheyAreReadAsQtWouldShowThem_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("topDown");
        QTest::newRow("8-bit palette, bottom-up") << 8 << false;
        QTest::newRow("24-bit, bottom-up") << 24 << false;
        QTest::newRow("24-bit, top-down") << 24 << true;
        QTest::newRow("32-bit, bottom-up") << 32 << false;
    }

    void bitmapsAreReducedAsTheyAreReadAsQtWouldShowThem()
    {
        QFETCH(int, bits);
        QFETCH(bool, topDown);
        const QImage picture = edgesAndGradients(QImage::Format_RGB32);
        testsupport::TempTree tree;
        writeFile(tree.path("a.bmp"), bmpOf(picture, bits, topDown));
        const QByteArray path = QFile::encodeName(tree.path("a.bmp"));

        for (const QSize target : kReducedSizes) {
            QFile file(tree.path("a.bmp"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(!bmpreader::decodeReduced(file, target, pictureloader::kMaxDecodedBytes).isNull()); // read by the bitmap reader itself
            const double difference = differenceFromQt(path, target);
            QVERIFY2(difference <= 1.0, qPrintable(QString::number(difference))); // measured: 0.46 at most
        }
        // Cut short: not read by it, and no crash.
        writeFile(tree.path("a.bmp"), bmpOf(picture, bits, topDown).chopped(1000));
        QFile cut(tree.path("a.bmp"));
        QVERIFY(cut.open(QIODevice::ReadOnly));
        QVERIFY(bmpreader::decodeReduced(cut, QSize(100, 75), pictureloader::kMaxDecodedBytes).isNull());

        // A header cut inside its alpha mask (a 56-byte header, the file
        // 66 bytes): refused without reading past the bytes there are.
        QByteArray masksCut = QByteArray::fromHex("424d5e0000000000000046000000380000000300000002000000010020000300000018000000"
                                                  "13a6b6e8c3c52dda7dfa2c709281d87f108063a6b3b6e8c3c52dda7d");
        QBuffer masks(&masksCut);
        QVERIFY(masks.open(QIODevice::ReadOnly));
        QVERIFY(bmpreader::decodeReduced(masks, QSize(1, 1), pictureloader::kMaxDecodedBytes).isNull());

        // A very wide picture: the reader counts what it would hold for a
        // row (sums, spans, the row itself), not 4 bytes a pixel, and
        // refuses unread what would pass its bound.
        const auto wide = [&tree](qint32 width) {
            QByteArray header(54, '\0');
            const auto put = [&header](int at, quint32 value) { qToLittleEndian(value, header.data() + at); };
            header[0] = 'B';
            header[1] = 'M';
            put(10, 54);
            put(14, 40);
            put(18, quint32(width));
            put(22, 1);
            header[26] = 1;
            header[28] = 32;
            QFile file(tree.path("wide.bmp"));
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(header);
            file.resize(54 + 4 * qint64(width)); // sparse
            file.close();
            file.open(QIODevice::ReadOnly);
            return bmpreader::decodeReduced(file, QSize(100, 1), 256 << 20);
        };
        QVERIFY(!wide(100'000).isNull());
        QVERIFY(wide(16 << 20).isNull()); // 64 MB of pixels, over 256 MB to read
    }

    void pngsAreReducedAsTheyAreDecodedAsQtWouldShowThem_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("interlaced");
        QTest::newRow("8-bit colour") << int(QImage::Format_RGB32) << false;
        QTest::newRow("8-bit colour and alpha") << int(QImage::Format_ARGB32) << false;
        QTest::newRow("palette") << int(QImage::Format_Indexed8) << false;
        QTest::newRow("16-bit colour") << int(QImage::Format_RGBX64) << false;
        QTest::newRow("interlaced: Qt's reader") << int(QImage::Format_RGB32) << true;
    }

    void pngsAreReducedAsTheyAreDecodedAsQtWouldShowThem()
    {
        QFETCH(int, format);
        QFETCH(bool, interlaced);
        testsupport::TempTree tree;
        const QString png = tree.path("a.png");
        QVERIFY(edgesAndGradients(QImage::Format(format)).save(png));
        if (interlaced)
            testsupport::run(QStringLiteral("convert"), {png, QStringLiteral("-interlace"), QStringLiteral("PNG"), png});
        for (const QSize target : kReducedSizes) {
            QFile file(png);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(pngreader::decodeReduced(file, target, pictureloader::kMaxDecodedBytes).isNull(), interlaced);
            const double difference = differenceFromQt(QFile::encodeName(png), target);
            QVERIFY2(difference <= 1.0, qPrintable(QString::number(difference)));
        }
        // Cut short: not read by it, and no crash.
        QFile whole(png);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QByteArray cut = whole.readAll().chopped(2000);
        QBuffer buffer(&cut);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QVERIFY(pngreader::decodeReduced(buffer, QSize(100, 75), pictureloader::kMaxDecodedBytes).isNull());
        // A side as long as libspng takes: refused by the memory bound, whose sums must not overflow.
        QByteArray huge = pngHeader(0x40000000, 1, 8, 2);
        QBuffer hugeBuffer(&huge);
        QVERIFY(hugeBuffer.open(QIODevice::ReadOnly));
        QVERIFY(pngreader::decodeReduced(hugeBuffer, QSize(0x40000000, 1), pictureloader::kMaxDecodedBytes).isNull());
    }

    void theCacheReadsAgainAtANewSizeOrAfterARewriteInTheSameSecond()
    {
        testsupport::TempTree tree;
        const QByteArray path = tree.nativeRoot() + "/a.bmp";
        const auto write = [&](const char* colour) {
            QImage image(300, 600, QImage::Format_RGB888);
            image.fill(QColor(colour));
            QVERIFY(image.save(QString::fromUtf8(path), "BMP"));
        };
        write("red");
        PictureCache cache([](QSize) { return QSize(10, 20); });
        const auto obtain = [&cache, &path] { return cache.ask(path, std::chrono::seconds(10), [] {}); };
        QCOMPARE(obtain()->image.size(), QSize(10, 20));
        cache.retarget([](QSize natural) { return fullScreenPixelSize(natural, QSize(1280, 1024), 1); });
        QCOMPARE(obtain()->image.size(), QSize(512, 1024));

        // Same size, same second, another nanosecond: another picture.
        struct stat before;
        QVERIFY(::stat(path.constData(), &before) == 0);
        write("blue");
        const timespec times[2] = {before.st_atim, {before.st_mtim.tv_sec, (before.st_mtim.tv_nsec + 1) % 1000000000}};
        QVERIFY(::utimensat(AT_FDCWD, path.constData(), times, 0) == 0);
        QCOMPARE(obtain()->image.pixelColor(5, 5), QColor("blue"));
    }

    void fullScreenEnlargesAtMostFourTimes()
    {
        QCOMPARE(fullScreenPixelSize(QSize(32, 64), QSize(1280, 1024), 1), QSize(128, 256));
        QCOMPARE(fullScreenPixelSize(QSize(640, 480), QSize(1280, 1024), 1), QSize(1280, 960));
    }

    void aPictureDecodedLateStaysOffTheRowTheUserMovedTo()
    {
        TestProgram program;
        fill(*program.app, {"big.gif", "landscape.jpg"});
        PictureWindow& window = program.app->pictureWindow();
        program.app->showSelectedRow(); // big.gif: decoded in the background
        QVERIFY(!window.image().isVisibleTo(&window));
        program.app->mainWindow().fileList->select(2);
        QVERIFY(showSelected(*program.app)); // and big.gif's late call came
        QCOMPARE(window.windowTitle(), QStringLiteral("landscape.jpg"));
        QCOMPARE(window.image().picture().size(), window.image().devicePixelSize());
        QCOMPARE(window.image().geometryTwips().height, 5250.0);
    }

    void aReadEndingAfterTheCacheIsGoneCallsNothing()
    {
        bool called = false;
        {
            PictureCache cache([](QSize) { return QSize(467, 350); });
            cache.ask(fixtureFolder() + "landscape.jpg", std::chrono::milliseconds(0), [&called] { called = true; });
        }
        QTest::qWait(100);
        QVERIFY(!called);
    }

    void stillPictureModeClosesTheVideoWindow()
    {
        TestProgram program;
        fill(*program.app, {"landscape.jpg"});
        QVERIFY(program.app->transport().loadedVideoWindow());
        program.app->showSelectedRow();
        QVERIFY(!program.app->transport().loadedVideoWindow());
    }

    void aPictureChangedOnDiskIsReadAgain()
    {
        TestProgram program;
        testsupport::TempTree tree;
        QVERIFY(QFile::copy(testsupport::fixture("landscape.jpg"), tree.path("a.jpg")));
        QVERIFY(QFile::copy(testsupport::fixture("portrait.bmp"), tree.path("b.bmp")));
        fill(*program.app, {"a.jpg", "b.bmp"}, tree.nativeRoot() + '/');
        QVERIFY(showSelected(*program.app)); // reads b.bmp ahead
        const QByteArray b = tree.nativeRoot() + "/b.bmp";
        QVERIFY(testsupport::waitFor([&] { return program.app->pictureCache().isReady(b); }));
        QFile::remove(tree.path("b.bmp"));
        QVERIFY(QFile::copy(testsupport::fixture("square.gif"), tree.path("b.bmp")));
        program.app->mainWindow().fileList->select(2);
        QVERIFY(showSelected(*program.app));
        QCOMPARE(program.app->pictureWindow().image().geometryTwips().height, 7000.0);
        QCOMPARE(program.app->pictureWindow().image().geometryTwips().width, 7000.0);
    }
};

QTEST_MAIN(ViewerTest)
#include "tst_viewer.moc"
