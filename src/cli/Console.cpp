#include "cli/Console.h"

#include <QCoreApplication>

#include "cli/Cli.h"
#include "core/Language.h"
#include "link/LinkTexts.h"

#include <QMutex>
#include <QStringList>
#include <atomic>
#include <utility>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zendra::cli {

namespace {

std::atomic<bool> g_qtMessages{false};
QMutex g_printing;
std::atomic<int> g_outputError{0};  // errno of the first write or flush of stdout that failed
enum class Out { Stdout, Stderr, Nowhere };
std::atomic<Out> g_out{Out::Stdout};
bool g_streamBroken = false;  // under g_printing

constexpr int kBarWidth = 30;
constexpr qint64 kRedrawMs = 100;  // a bar redrawn more often only costs the writer's time

void Write(std::FILE* stream, const QString& text) {
    const QMutexLocker locker(&g_printing);
    const QByteArray bytes = text.toUtf8();
    errno = 0;
    const size_t written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    // What a script reads must not vanish on a full disk or /dev/full while the command says success.
    if ((std::fflush(stream) != 0 || written != static_cast<size_t>(bytes.size())) && stream == stdout) {
        int expected = 0;
        g_outputError.compare_exchange_strong(expected, errno != 0 ? errno : EIO);
    }
}

// The texts break lines with CR LF or a lone CR; a terminal wants LF.
QString ConsoleLines(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text;
}

}  // namespace

void InstallQtMessageFilter() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg || g_qtMessages) PrintErr(text);
    });
}
void ShowQtMessages(bool show) { g_qtMessages = show; }

void UseEnglish(bool english) { core::UseLanguage(english ? core::Language::English : core::Language::Japanese); }

QString Tr(const QString& text) { return core::Translate(text); }

QString T(const char* source) { return QCoreApplication::translate("cli", source); }

void PrintOut(const QString& line) {
    const Out out = g_out.load();
    if (out != Out::Nowhere) Write(out == Out::Stdout ? stdout : stderr, ConsoleLines(line) + QLatin1Char('\n'));
}

void ReserveStdout(bool quiet) { g_out = quiet ? Out::Nowhere : Out::Stderr; }

bool StreamLine(const QByteArray& line) {
    const QMutexLocker locker(&g_printing);
    if (g_streamBroken) return false;
    g_streamBroken = std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout) != size_t(line.size()) ||
                     std::fputc('\n', stdout) == EOF || std::fflush(stdout) != 0;
    return !g_streamBroken;
}
void PrintErr(const QString& line) { Write(stderr, ConsoleLines(line) + QLatin1Char('\n')); }

int CheckedExit(int code) {
    {
        const QMutexLocker locker(&g_printing);
        int expected = 0;
        if (std::fflush(stdout) != 0) g_outputError.compare_exchange_strong(expected, errno != 0 ? errno : EIO);
    }
    if (g_outputError == 0) return code;
    PrintErr(T(texts::kOutputLost).arg(QString::fromLocal8Bit(std::strerror(g_outputError))));
    return kExitLink;
}

void ConsoleProgress::Line(const QString& text) {
    EndBar();
    // A status line that names the phase it starts comes once.
    if (m_style.quiet || text.isEmpty() || text == std::exchange(m_lastLine, text)) return;
    PrintErr(m_style.label.isEmpty() ? text : m_style.label + QStringLiteral(": ") + text);
}

void ConsoleProgress::Status(core::StatusField field, const QString& text) {
    if (m_style.verbose && field == core::StatusField::Result) Line(Tr(text));
}

void ConsoleProgress::Phase(const QString& text) {
    // The flows name a phase again when its programming cycle starts; once is enough here.
    if (Tr(text) == m_phase && m_phaseClock.isValid()) return;
    m_phase = Tr(text);
    m_phaseClock.start();
    m_drawClock.invalidate();
    if (!m_style.bar) Line(m_phase);
}

void ConsoleProgress::Step(int value, int maximum) {
    if (!m_style.bar || m_style.quiet || maximum <= 0) return;
    const bool last = value >= maximum;
    if (!last && m_drawClock.isValid() && m_drawClock.elapsed() < kRedrawMs) return;
    m_drawClock.start();
    const double done = std::clamp(double(value) / maximum, 0.0, 1.0);
    const int filled = int(done * kBarWidth);
    QString left;
    if (m_phaseClock.isValid() && done > 0.02) {
        const double remaining = m_phaseClock.elapsed() / 1000.0 * (1 - done) / done;
        left = QStringLiteral(" %1 s").arg(remaining, 0, 'f', 0);
    }
    Write(stderr,
          QStringLiteral("\r%1 [%2%3] %4%%5\x1b[K")
              .arg(m_phase, QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('.')))
              .arg(int(done * 100), 3)
              .arg(left));
    m_barShown = true;
}

// The result line carries the notice a command ends on; on the way, notices only show with --verbose.
void ConsoleProgress::Notice(const QString& text) {
    if (m_style.verbose) Line(Tr(text));
}

core::MessageAnswer ConsoleProgress::Ask(core::MessageIcon, const QString&, const QString& text,
                                         core::MessageButtons) {
    // The firmware advisory: printed, and the command goes on (a writer 6.30 to 6.34 still works). Its line
    // about where the main window shows the version has no place on a terminal.
    QStringList lines;
    for (const QString& line : text.split(QStringLiteral("\r\n")))
        if (line != link::texts::kAdvisoryWhereShown) lines << Tr(line);
    Line(lines.join(QStringLiteral("\r\n")));
    return core::MessageAnswer::Ok;
}

void ConsoleProgress::EndBar() {
    if (!m_barShown) return;
    m_barShown = false;
    Write(stderr, QStringLiteral("\n"));
}

bool WireTrace::Write(const QByteArray& bytes) {
    PrintErr(m_label + QStringLiteral(" > ") + QString::fromLatin1(bytes.toHex(' ').toUpper()));
    return m_inner.Write(bytes);
}

QByteArray WireTrace::ReadAll() {
    const QByteArray bytes = m_inner.ReadAll();
    if (!bytes.isEmpty())
        PrintErr(m_label + QStringLiteral(" < ") + QString::fromLatin1(bytes.toHex(' ').toUpper()));
    return bytes;
}

}  // namespace zendra::cli
