// The program: one copy per user, start-up, then the windows' event loop. Arguments have no effect.

#include <QApplication>
#include <QDir>

#include "core/Settings.h"
#include "shell/Application.h"
#include "shell/InstanceLock.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(zendra::core::kApplicationTitle);
    QCoreApplication::setApplicationName(zendra::core::kApplicationTitle);
    // The scratch files and the help file are found beside the program.
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    zendra::shell::Application program;
    const auto started = program.Start();
    if (started == zendra::shell::Application::StartResult::AlreadyRunning) return 0;
    if (started == zendra::shell::Application::StartResult::LockFailed) {
        zendra::shell::ReportInstanceLockFailure(program.LockFailureText());
        return 1;
    }
    return app.exec();
}
