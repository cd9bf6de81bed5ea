#pragma once
// The pieces of the command line's parsing that live beside ParsePlan: the help, the production options,
// the bench setup's values taken into the plan and a setup saved from it, and the inputs of a restore.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

#include "cli/Plan.h"
#include "production/BenchSetup.h"

namespace zendra::cli {

// The options' help with the commands and the catalogue's device names.
QString HelpText(const QCommandLineParser& parser);
// The device names the help lists.
QString DeviceList();

// The serial, calibration and store options into the plan; the reason when one will not do.
std::optional<QString> ParseProduction(const QCommandLineParser& parser, Plan& plan);
// What a stamped run does with a chip's own number and a number that never reached a chip.
std::optional<QString> TakeNumberPolicy(const QCommandLineParser& parser, const std::optional<production::BenchSetup>& setup,
                                        Plan& plan);
// NAME=VALUE lock/fuse settings into the plan's choices; the reason when one will not do.
std::optional<QString> ParseFuseSettings(const QStringList& settings, Plan& plan);
// A setup's named lock/fuse choices into the plan; the reason when one will not do.
std::optional<QString> SetupChoices(const production::BenchSetup& setup, Plan& plan);
// A setup's serial number, calibration copy and store, where the command line gave none of its own.
void TakeSetupProduction(const production::BenchSetup& setup, const QCommandLineParser& parser, Plan& plan);
// Asks on the terminal before a setup's serial-number program first runs.
bool AskToRunGenerator(const QString& command);
// `setup save`: the plan written as a bench setup file; the exit code.
int SaveSetupOf(const QCommandLineParser& parser, Plan& plan);

// The bytes a fuse write's JSON report recorded, and its device; the reason it will not do.
std::optional<QString> ReadRestoreReport(const QString& path, Plan& plan);

}  // namespace zendra::cli
