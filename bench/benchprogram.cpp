#include "benchprogram.h"

std::unique_ptr<Application> startBenchProgram(const QString& configDirectory)
{
    Application::Options options;
    options.configDirectory = configDirectory;
    options.preparePlayer = false;
    auto app = std::make_unique<Application>(options);
    app->start();
    return app;
}
