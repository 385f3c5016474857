#include "desktop/folderprobe.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace folderprobe {
namespace {

struct LookUp {
    std::optional<bool> answer; // set once, under the registry's lock
    bool late = false;          // a caller stopped waiting for it
};

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kAnswerStands{1};

struct Registry {
    std::mutex lock;
    std::condition_variable answered;
    // The look-ups still waiting for the file system, by path.
    std::map<QByteArray, std::shared_ptr<LookUp>> inFlight;
    // The answers that came after a caller had stopped waiting, with when
    // they came.
    std::map<QByteArray, std::pair<bool, Clock::time_point>> recent;
};

// Never destroyed: a look-up may still hang when the program ends.
Registry& registry()
{
    static Registry* const shared = new Registry;
    return *shared;
}

std::shared_ptr<LookUp> start(const QByteArray& path)
{
    Registry& shared = registry();
    const auto recent = shared.recent.find(path);
    if (recent != shared.recent.end()) {
        if (Clock::now() - recent->second.second < kAnswerStands)
            return std::make_shared<LookUp>(LookUp{recent->second.first});
        shared.recent.erase(recent);
    }
    auto& known = shared.inFlight[path];
    if (known)
        return known;
    known = std::make_shared<LookUp>();
    std::thread([path, lookUp = known] {
        struct stat st;
        const bool folder = ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        Registry& shared = registry();
        const std::lock_guard<std::mutex> hold(shared.lock);
        lookUp->answer = folder;
        shared.inFlight.erase(path);
        if (lookUp->late)
            shared.recent[path] = {folder, Clock::now()};
        shared.answered.notify_all();
    }).detach();
    return known;
}

} // namespace

std::vector<std::optional<bool>> areFolders(const std::vector<QByteArray>& paths, milliseconds patience)
{
    const auto deadline = Clock::now() + patience;
    Registry& shared = registry();
    std::unique_lock<std::mutex> hold(shared.lock);
    std::vector<std::shared_ptr<LookUp>> lookUps;
    for (const QByteArray& path : paths)
        lookUps.push_back(start(path));
    const auto allAnswered = [&lookUps] {
        for (const auto& lookUp : lookUps) {
            if (!lookUp->answer)
                return false;
        }
        return true;
    };
    shared.answered.wait_until(hold, deadline, allAnswered);
    std::vector<std::optional<bool>> answers;
    for (const auto& lookUp : lookUps) {
        lookUp->late = lookUp->late || !lookUp->answer;
        answers.push_back(lookUp->answer);
    }
    return answers;
}

std::optional<bool> isFolder(const QByteArray& path, milliseconds patience)
{
    return areFolders({path}, patience).front();
}

void whenAnswered(const QByteArray& path, QObject* context, std::function<void(bool folder)> done)
{
    std::thread([path, context = QPointer<QObject>(context), done = std::move(done)] {
        Registry& shared = registry();
        std::unique_lock<std::mutex> hold(shared.lock);
        const std::shared_ptr<LookUp> lookUp = start(path);
        shared.answered.wait(hold, [&lookUp] { return lookUp->answer.has_value(); });
        const bool folder = *lookUp->answer;
        hold.unlock();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [context, folder, done] {
            if (context)
                done(folder);
        }, Qt::QueuedConnection);
    }).detach();
}

} // namespace folderprobe
