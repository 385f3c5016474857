#pragma once

#include <functional>
#include <vector>

// Small helpers the benchmarks share.
double median(std::vector<double> values);
// A field of /proc/self/status in KiB ("VmRSS", "VmHWM").
long selfStatusKb(const char* field);
// Processes events until done() holds or the time is up.
void waitUntil(const std::function<bool()>& done, int milliseconds);
