#include "benchprogram.h"

std::unique_ptr<Application> startBenchProgram(const QString& configDirectory)
{
    Application::Options options;
    options.configDirectory = configDirectory;
    options.preloadPlayer = false;
    auto app = std::make_unique<Application>(options);
    app->start();
    return app;
}
