#include "MainWindow.h"
#include "WidgetPrompts.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("vorpaline")));
    WidgetPrompts prompts;

    AppEnvironment environment;
    environment.site = SiteConfig::builtIn();
    environment.resolver = resolveUnchanged;
    environment.programFolder = QCoreApplication::applicationDirPath();
    environment.prompts = &prompts;
    environment.shutdown = requestSystemPowerOff;

    auto window = std::make_unique<MainWindow>(environment);
    prompts.setOwner(window.get());
    window->show();
    return app.exec();
}
