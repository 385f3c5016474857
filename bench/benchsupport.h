#pragma once

#include <QByteArray>
#include <functional>
#include <vector>

// Small helpers the benchmarks share.
double median(std::vector<double> values);
// A field of /proc/<pid>/status in KiB ("VmRSS", "VmHWM"); 0 for this process.
long statusKb(const char* field, long long pid = 0);
// Processes events until done() holds or the time is up.
void waitUntil(const std::function<bool()>& done, int milliseconds);
// Runs the event loop for that long, asleep while nothing happens (what a
// program's own CPU is measured over).
void idleFor(int milliseconds);

class QProcess;
// Starts a session bus of the benchmark's own in daemon and makes it the
// session bus of this process and the programs it starts; its address, or
// empty when there is no dbus-daemon.
QByteArray startOwnSessionBus(QProcess& daemon);
