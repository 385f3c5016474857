#pragma once

#include "app/application.h"

#include <memory>

// The program as the benchmarks run it: its own settings folder, started;
// the player is prepared as the program does (when a video-mode search
// is in sight or starts), or else when first needed.
std::unique_ptr<Application> startBenchProgram(const QString& configDirectory, bool preparePlayer = true);

// The search's walk of the folder into an emptied list, in milliseconds.
double timeWalk(Application& app, const QByteArray& folder);
