// The program: one copy per user, start-up, then the windows' event loop. --help and --version are
// answered before any window or lock; a file named on the command line is opened as "開く" would.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "core/Product.h"
#include "core/Settings.h"
#include "shell/Application.h"
#include "shell/InstanceLock.h"

int main(int argc, char* argv[]) {
    // Parsed before QApplication, which needs a display that --help does not.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Host program for the KX-WRT540 AVR writer."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A code file (.hex/.rom) to open; its .eep too."),
                                 QStringLiteral("[FILE]"));
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "zendra: %s\n",
                     qPrintable(parser.errorText().isEmpty() ? QStringLiteral("one file at most") : parser.errorText()));
        return 1;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("zendra"))), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("zendra %s\n", qPrintable(zendra::core::kVersionText));
        return 0;
    }
    // Relative to where the user started it, before the program's own folder becomes current.
    const QString file =
        parser.positionalArguments().isEmpty() ? QString() : QFileInfo(parser.positionalArguments().first()).absoluteFilePath();

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(zendra::core::kApplicationTitle);
    QCoreApplication::setApplicationName(zendra::core::kApplicationTitle);
    // The help file is found beside the program (and the scratch files, when it runs in its build folder).
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    zendra::shell::Application program;
    const auto started = program.Start();
    if (started == zendra::shell::Application::StartResult::AlreadyRunning) return 0;
    if (started == zendra::shell::Application::StartResult::LockFailed) {
        zendra::shell::ReportInstanceLockFailure(program.LockFailureText());
        return 1;
    }
    if (!file.isEmpty()) program.OpenFile(file);
    return app.exec();
}
