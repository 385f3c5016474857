#include "benchprogram.h"

std::unique_ptr<Application> startBenchProgram(const QString& configDirectory, bool preparePlayer)
{
    Application::Options options;
    options.configDirectory = configDirectory;
    options.preparePlayer = preparePlayer;
    auto app = std::make_unique<Application>(options);
    app->start();
    return app;
}
