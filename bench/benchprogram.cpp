#include "benchprogram.h"

#include "list/listview.h"
#include "mainwindow/mainwindow.h"
#include "search/searchcommand.h"

#include <QElapsedTimer>

std::unique_ptr<Application> startBenchProgram(const QString& configDirectory, bool preparePlayer)
{
    Application::Options options;
    options.configDirectory = configDirectory;
    options.preparePlayer = preparePlayer;
    auto app = std::make_unique<Application>(options);
    app->start();
    return app;
}

double timeWalk(Application& app, const QByteArray& folder)
{
    app.mainWindow().fileList->clearRows();
    QElapsedTimer clock;
    clock.start();
    app.search().walkWithFilter(folder);
    return clock.nsecsElapsed() / 1e6;
}
