// zendra-cli: the writer's operations from a shell, a script or a production bench. No windows.

#include <QCoreApplication>

#include "cli/Cli.h"
#include "cli/Console.h"
#include "core/Settings.h"

int main(int argc, char* argv[]) {
    zendra::cli::InstallQtMessageFilter();
    QCoreApplication app(argc, argv);
    // The windows' settings store, so "COMn" means what it means there.
    QCoreApplication::setOrganizationName(zendra::core::kApplicationTitle);
    QCoreApplication::setApplicationName(zendra::core::kApplicationTitle);
    return zendra::cli::CheckedExit(zendra::cli::RunCommandLine(QCoreApplication::arguments().mid(1)));
}
