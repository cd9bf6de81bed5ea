#include "cli/Plan.h"
#include "cli/PlanParts.h"
#include "cli/YieldTable.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <unistd.h>

#include "cli/Cli.h"
#include "cli/Console.h"
#include "cli/Inputs.h"
#include "cli/Outputs.h"
#include "image/CodeFormats.h"
#include "image/FileCommands.h"
#include "core/BoundedFile.h"
#include "core/Language.h"
#include "core/Product.h"
#include "devices/Catalogue.h"
#include "devices/DeviceNames.h"
#include "devices/Encodings.h"
#include "production/BenchSetup.h"
#include "production/StoreLocation.h"
#include "update/UpdateFile.h"
#include "update/UpdateTexts.h"


namespace zendra::cli {

// The names --device takes, one a line in the current language: for the reader and for shell completion.
QString DeviceList() {
    QString list = QStringLiteral("\nDevices (--device, in any case):\n");
    for (const devices::Device& device : devices::DeviceTable()) list += QStringLiteral("  ") + Tr(device.Name()) + '\n';
    return list;
}

QString HelpText(const QCommandLineParser& parser) {
    return parser.helpText() +
           QStringLiteral(
               "\nCommands:\n"
               "  ports                        serial ports: path, description, USB id, serial number, by-id "
               "link, COM entry, USB adapter's latency timer\n"
               "  detect                       find the writer on --port, or on every detected port;\n"
               "                               with --wait, on the next port plugged in (until Ctrl-C)\n"
               "  doctor                       check the chain on --port, or on every detected port: port,\n"
               "                               permission, other programs, latency timer, writer and firmware,\n"
               "                               the line (200 round trips), programming mode and the signature\n"
               "                               (--device: the chip expected); never erases or writes.\n"
               "                               One line a step: ok|warn|fail STEP: detail; advice on stderr\n"
               "  check FILE.hex [FILE.eep]    read the files only; with --device, whether they fit it\n"
               "  program FILE.hex [FILE.eep]  check, erase, program and verify (--write-fuses: then the ELF "
               "file's lock/fuse bytes)\n"
               "  verify FILE.hex [FILE.eep]   compare the whole chip with the files\n"
               "  read OUT.hex [OUT.eep]       read the chip into the files and print its lock/fuse choices\n"
               "  FILE: Intel HEX, ELF (flash, EEPROM and lock/fuse from one file), S-record or .bin; "
               "OUT by its extension\n"
               "  erase                        erase the chip\n"
               "  fuse read                    print the lock/fuse choices as NAME=VALUE lines\n"
               "  fuse write NAME=VALUE...     change those choices (the others stay as the chip holds "
               "them);\n"
               "                               VALUE is the number or the choice's name (RSTDISBL=PB5:Reset)\n"
               "  fuse restore REPORT.json     write back the bytes a fuse write's report recorded\n"
               "  update FIRMWARE_FILE         replace the writer's firmware\n"
               "  setup save OUT.zendra [options] FILE.hex [FILE.eep]\n"
               "                               save a bench setup: a program's options and files (pinned by\n"
               "                               SHA-256, paths relative to OUT), --fuse NAME=VALUE choices\n"
               "  run SETUP.zendra             program as the setup says (options given here override it);\n"
               "                               a file changed since is refused unless --accept-changed-files;\n"
               "                               --print shows the equivalent plain commands\n"
               "  history                      the chip store's records, newest first (--serial, --file-sha256,\n"
               "                               --last, --json)\n"
               "  history --stats              chips programmed, passed and failed, the first-pass yield and\n"
               "                               the failing verdicts (--series, --since TIME, --until TIME in\n"
               "                               ISO 8601, --by day|port|bench|file, --json)\n"
               "\nWith --repeat --trigger stdin, each chip starts on a line of standard input: start (every\n"
               "waiting writer), start PORT, stop (or the end of the input: the loop ends after the running chips).\n"
               "\nStandard output: the data of ports, detect and fuse read, else the one-line verdict;\n"
               "progress, notices, warnings, errors and advice go to standard error.\n"
               "With --json, standard output is JSON Lines events only (start ... end; history: one record\n"
               "event a record), described by /usr/share/zendra/events.schema.json.\n"
               "\nExit codes:\n"
               "  0 success; 1 the chip differs from the files; 2 the writer or the link failed; 3 an input "
               "file is\n"
               "  unreadable or invalid; 4 usage error; 5 the chip is wrong or refused; 130 cancelled "
               "(Ctrl-C)\n"
               "\nThe chip log (--log) is CSV: "
               "time,port,firmware,device,signature,file_sha256,command,verdict,seconds,\n"
               "lockfuse_before,lockfuse_written\n"
               "\nEvery program, verify, read, erase and lock/fuse write is also recorded in the chip store\n"
               "(--db, by default chips.sqlite in the per-user data folder; benches that share one series name\n"
               "one PostgreSQL database: --db postgresql://USER@HOST:PORT/DBNAME); a program run with --serial-at\n"
               "takes the series' next number first, so a number is never issued twice.\n"
               "--serial-list FILE takes a series' values from a list (a number or hex:AABB a line, # comments),\n"
               "each line once; --serial-command 'PROGRAM ARGS' runs a program of your own for every chip (no\n"
               "shell: words split at blanks, \"...\" keeps blanks in one word, a quote inside written as three)\n"
               "and stamps the one line of hex bytes it prints within 5 s; it is told ZENDRA_SERIES, ZENDRA_NUMBER,\n"
               "ZENDRA_DEVICE and ZENDRA_SIGNATURE.\n") +
           DeviceList();
}

}  // namespace zendra::cli
