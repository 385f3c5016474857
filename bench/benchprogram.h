#pragma once

#include "app/application.h"

#include <memory>

// The program as the benchmarks run it: its own settings folder, started,
// with the player library loaded when first needed.
std::unique_ptr<Application> startBenchProgram(const QString& configDirectory);
