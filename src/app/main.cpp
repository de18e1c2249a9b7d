#include "app/MainWindow.h"
#include "windows/WidgetPrompts.h"

#include <QApplication>
#include <QIcon>

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

    MainWindow window(environment);
    window.show();
    return app.exec();
}
