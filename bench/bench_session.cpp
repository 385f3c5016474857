// A long session: the program loops a folder of 200 clips of the kinds it
// lists by default, then shows a folder of pictures as a three-second
// slideshow, its memory sampled every 30 s beside mpv looping the same
// clips at the same time.
// Usage: bench_session FIXTURES [MINUTES] (default 30; the clips take two
// thirds of it).
#include "benchsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kSampleSeconds = 30;

QStringList copies(const QString& fixtures, const QStringList& names, int count, const QString& folder)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString& name = names[i % names.size()];
        paths << QStringLiteral("%1/%2 %3").arg(folder).arg(i, 3, 10, QLatin1Char('0')).arg(name);
        QFile::copy(fixtures + '/' + name, paths.back());
    }
    return paths;
}

double mib(const QProcess& process)
{
    return statusKb("VmRSS", process.processId()) / 1024.0;
}

void printSamples(const char* who, const std::vector<double>& samples)
{
    std::printf("  %s, MiB every %d s:", who, kSampleSeconds);
    for (double sample : samples)
        std::printf(" %.0f", sample);
    std::printf("\n");
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication qt(argc, argv);
    const QString fixtures = qt.arguments().value(1);
    const int minutes = qt.arguments().value(2, QStringLiteral("30")).toInt();
    QTemporaryDir work;
    const QStringList clips = copies(fixtures,
        {"clip.mpg", "clip.avi", "clip.mov", "clip.rm", "song.mp3", "sound.wave"},
        200, work.filePath("clips"));
    const QStringList pictures = copies(fixtures, {"landscape.jpg", "sideways.jpg", "portrait.bmp", "square.gif"},
        40, work.filePath("pictures"));
    QDir().mkpath(work.filePath("config"));
    QFile settings(work.filePath("config/ZOLT.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write("[Extras]\nSlideShow=3\n");
    settings.close();
    QDir().mkpath(work.filePath("runtime"));
    QFile::setPermissions(work.filePath("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess bus;
    startOwnSessionBus(bus);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", work.filePath("config"));
    environment.insert("XDG_DATA_HOME", work.filePath("config"));
    environment.insert("XDG_RUNTIME_DIR", work.filePath("runtime"));
    QProcess program, mpv;
    program.setProcessEnvironment(environment);
    program.start(PROGRAM, {clips.first()});
    mpv.start("mpv", QStringList{"--no-config", "--ao=null", "--loop-playlist=inf", "--geometry=375x266+0+0"} + clips);

    const int clipSamples = minutes * 60 * 2 / 3 / kSampleSeconds;
    const int roundSamples = 210 / kSampleSeconds; // 200 clips of about a second
    std::vector<double> ours, theirs;
    for (int i = 0; i < clipSamples; ++i) {
        idleFor(kSampleSeconds * 1000);
        ours.push_back(mib(program));
        theirs.push_back(mib(mpv));
    }
    mpv.kill();
    mpv.waitForFinished();

    QProcess handOver;
    handOver.setProcessEnvironment(environment);
    handOver.start(PROGRAM, {pictures.first()});
    handOver.waitForFinished(10000);
    std::vector<double> slideshow;
    for (int i = clipSamples; i < minutes * 60 / kSampleSeconds; ++i) {
        idleFor(kSampleSeconds * 1000);
        slideshow.push_back(mib(program));
    }
    program.kill();
    program.waitForFinished();
    if (ours.empty() || slideshow.empty())
        return 1;

    std::printf("memory over a %d-minute session (resident, MiB):\n", minutes);
    printSamples("program looping 200 clips", ours);
    printSamples("mpv looping the same clips", theirs);
    printSamples("program then showing 40 pictures every 3 s", slideshow);
    const auto growth = [&](const std::vector<double>& samples) {
        return int(samples.size()) > roundSamples ? samples.back() - samples[roundSamples - 1] : 0.0;
    };
    std::printf("after the clips: program %.0f MiB, mpv %.0f MiB, ratio %.2f; after the first round of clips "
                "program %+.1f MiB, mpv %+.1f MiB; after the slideshow program %.0f MiB\n",
                ours.back(), theirs.back(), ours.back() / theirs.back(), growth(ours), growth(theirs),
                slideshow.back());
    return 0;
}
