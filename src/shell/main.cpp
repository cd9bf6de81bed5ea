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
#include "shell/StationHandOver.h"

int main(int argc, char* argv[]) {
    // Parsed before QApplication, which needs a display that --help does not.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Host program for the KX-WRT540 AVR writer."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption station(QStringLiteral("station"),
                                     QStringLiteral("Open the production station for this bench setup."), QStringLiteral("SETUP"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("A writer of the station (repeat it); default: the setup's ports."),
                                  QStringLiteral("PORT"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(station);
    parser.addOption(port);
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
    if (parser.isSet(port) && !parser.isSet(station)) {
        std::fputs("zendra: --port needs --station\n", stderr);
        return 1;
    }
    if (parser.isSet(version)) {
        std::printf("zendra %s\n", qPrintable(zendra::core::kVersionText));
        return 0;
    }
    // Relative to where the user started it, before the program's own folder becomes current.
    const QString file =
        parser.positionalArguments().isEmpty() ? QString() : QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    const zendra::shell::StationRequest stationRequest{
        parser.isSet(station) ? QFileInfo(parser.value(station)).absoluteFilePath() : QString(), parser.values(port)};

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(zendra::core::kApplicationTitle);
    QCoreApplication::setApplicationName(zendra::core::kApplicationTitle);
    // The help file is found beside the program (and the scratch files, when it runs in its build folder).
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    zendra::shell::Application program;
    const auto started = program.Start();
    if (started == zendra::shell::Application::StartResult::AlreadyRunning) {
        if (stationRequest.setupPath.isEmpty()) return 0;
        // The running copy opens the station; a refusal or a copy that does not answer is said here.
        const auto handed = zendra::shell::HandStationOver(program.StationSocket(), stationRequest);
        if (handed.delivered && handed.answer.isEmpty()) return 0;
        std::fprintf(stderr, "zendra: %s\n",
                     qPrintable(handed.delivered ? handed.answer
                                                 : QStringLiteral("the running zendra did not take the station: ") + handed.answer));
        return 1;
    }
    if (started == zendra::shell::Application::StartResult::LockFailed) {
        zendra::shell::ReportInstanceLockFailure(program.LockFailureText());
        return 1;
    }
    if (!file.isEmpty()) program.OpenFile(file);
    // A bench that boots into its job: the station in front of the main window.
    if (!stationRequest.setupPath.isEmpty()) program.OpenStation(stationRequest.setupPath, stationRequest.ports);
    return app.exec();
}
