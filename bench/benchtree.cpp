#include "benchtree.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void touch(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0) {
        [[maybe_unused]] const auto written = ::write(fd, "x", 1);
        ::close(fd);
    }
}

const char* const kExtensions[] = {"avi", "RA", "ram", "Mpg", "mpeg", "qt", "MOV", "dat", "wave", "mp3", "rm",
                                   "jpg", "BMP", "gif", "txt", "wav", "doc", "png", "mp4", "flac"};

void fillTree(const QByteArray& root)
{
    int folders = 0;
    unsigned seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int a = 0; a < 20; ++a) {
        const QByteArray top = root + "/アーティスト" + QByteArray::number(a);
        ::mkdir(top.constData(), 0755);
        ++folders;
        for (int b = 0; b < 10; ++b) {
            const QByteArray album = top + (b == 3 ? "/Live" + QByteArray::number(b) + ".mp3" : "/album " + QByteArray::number(b));
            ::mkdir(album.constData(), 0755);
            ++folders;
            for (int c = 0; c < 99; ++c) {
                const QByteArray disc = album + "/disc" + QByteArray::number(c);
                ::mkdir(disc.constData(), 0755);
                ++folders;
                for (int f = 0; f < 10; ++f)
                    touch(disc + "/曲 " + QByteArray::number(f) + "." + kExtensions[next() % 20]);
            }
        }
    }
    const QByteArray big = root + "/big";
    ::mkdir(big.constData(), 0755);
    for (int f = 0; f < 10000; ++f)
        touch(big + "/clip" + QByteArray::number(f) + "." + kExtensions[next() % 20]);
    std::printf("%d folders\n", folders + 1);
}

// A fixture folder under /tmp, made by fill() the first time only.
QByteArray madeOnce(const QByteArray& root, const char* what, const std::function<void()>& fill)
{
    const QByteArray done = root + "/.complete-v1";
    if (QFile::exists(QString::fromUtf8(done)))
        return root;
    std::printf("making %s under %s…\n", what, root.constData());
    std::fflush(stdout);
    QDir(QString::fromUtf8(root)).removeRecursively();
    ::mkdir(root.constData(), 0755);
    fill();
    touch(done);
    return root;
}

} // namespace

QByteArray benchTree()
{
    const QByteArray root = "/tmp/duvavazoruzevaz-bench-tree";
    return madeOnce(root, "the benchmark tree", [&root] { fillTree(root); });
}

QByteArray benchMillionFolder()
{
    const QByteArray root = "/tmp/duvavazoruzevaz-bench-million";
    return madeOnce(root, "a folder of 1,000,000 files", [&root] {
        for (int f = 0; f < 1000000; ++f)
            touch(root + "/file" + QByteArray::number(f) + (f % 10 == 0 ? ".mp3" : ".txt"));
    });
}
