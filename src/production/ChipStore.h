#pragma once
// The chip store: a record for every chip a production command touched, and the serial series whose
// numbers are never issued twice. An SQLite file, or a PostgreSQL database named by a URL that several
// benches share, through Qt SQL; one connection per object, so each writer thread keeps its own. Every
// statement binds its values.

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "production/SerialSource.h"

namespace zendra::core {
class CancelToken;
}

namespace zendra::production {

struct YieldQuery;
struct YieldGroup;

struct FileDigest {
    QString role, path, sha256;
};

// A chip programmed at a production station: whether the station was locked to its job, and the bench
// whose engineer unlocked it last (empty: never unlocked).
struct StationFacts {
    bool locked = false;
    QString unlockedBy;
};

struct ChipRecord {
    qint64 id = 0;
    QDateTime time;
    QString bench, port, firmware, device, signature, command;
    QList<FileDigest> files;
    QString series;
    std::optional<qint64> serial;
    QByteArray stamp;           // a list's or a generator's value, as stamped
    std::optional<qint64> line; // the list's line it came from
    std::optional<quint8> calibration;
    QString lockFuseBefore, lockFuseAfter;
    QString verdict;  // "allocated" until the run that took the number ends
    double seconds = 0;
    qint64 pid = 0;
    QString lockState;                 // "locked": a locked chip, as found; "was-locked": unlocked by this erase
    std::optional<qint64> firstRecord;  // a number the chip kept: the record of its first run with it
    // A numbered program run: whether the number's bytes were sent to the chip (unknown while it runs).
    std::optional<bool> stampSent;
    std::optional<StationFacts> station;  // none: not run by a station
};

// How a program run's number is chosen, besides the series' next one.
struct NumberChoice {
    std::optional<qint64> keep;         // the chip's own number, found issued (see FindIssued)
    std::optional<qint64> firstRecord;  // the record of the chip's first run with it
    bool reuseFailed = false;           // a number that never reached a chip goes out again first
};

enum class StoreProblem {
    None,
    CannotOpen,       // no driver, no folder, not a database, no server
    Locked,           // another process held the store beyond the busy time-out
    NewerSchema,      // written by a newer program
    SeriesExhausted,  // the series' next number does not fit the stamp
    Failed,           // a statement failed
    Missing,          // opened to be read, and there is no store there
    TimedOut,         // the store did not answer within ChipStore::kDeadlineMs; it is not asked again
    Cancelled,        // the run was cancelled while it waited for the store
    ListExhausted,    // every line of the list has been issued: `detail` is the file's last line
    ListChanged,      // a line already issued holds another value now: `detail` is its number
    ValueIssued,      // the value was issued before: `detail` is it in hex
};

struct StoreResult {
    StoreProblem problem = StoreProblem::None;
    QString detail;
    bool Ok() const { return problem == StoreProblem::None; }
};

enum class SeriesCheck { Created, Matches, Contradicts, Unknown, OtherKind };

struct SeriesState {
    SeriesCheck check = SeriesCheck::Unknown;
    qint64 next = 0;
    SeriesKind kind = SeriesKind::Counter;  // the kind the series was made with
};

// What a list or generator series issues to one chip: the next line of the list no chip has taken, or
// the generator's value. `take` false only says what would be taken, and changes nothing.
struct IssueRequest {
    SeriesKind kind = SeriesKind::List;
    QList<ListEntry> list;
    int lastLine = 0;  // the list's last line holding a value, named when it has run out
    QByteArray value;
    bool take = true;
};

struct HistoryQuery {
    std::optional<qint64> id;  // that one record
    std::optional<qint64> serial;
    QString fileSha256;
    int last = 0;  // 0: all
};

class ChipStore {
public:
    static constexpr int kSchemaVersion = 2;
    // Another process's transaction is waited for this long before the store counts as locked.
    static constexpr int kBusyTimeoutMs = 5000;
    // Every call answers within this long, whatever the store does: a frozen server, a file locked for
    // good. Past it, and on a cancel, the call is abandoned on the store's own thread.
    static constexpr int kDeadlineMs = 10000;

    // `location`: an SQLite file's path, or a PostgreSQL URL (IsServerLocation). Its statements run on a
    // thread of the object's own, which a wait past the deadline (or past `cancel`) leaves behind.
    explicit ChipStore(QString location, const core::CancelToken* cancel = nullptr);
    ~ChipStore();
    ChipStore(const ChipStore&) = delete;
    ChipStore& operator=(const ChipStore&) = delete;

    // The per-user store: AppDataLocation/chips.sqlite.
    static QString DefaultPath();

    // Whether the location names a PostgreSQL database: libpq's URL form,
    // postgresql://USER@HOST:PORT/DBNAME (postgres:// too), ?host=/folder for a Unix socket.
    static bool IsServerLocation(const QString& location);

    enum class OpenMode { Create, Existing };
    // Opens the store, creating its tables with the current schema; a newer schema is refused. `Existing`
    // is for a query: a store that is not there (no file, or no tables) is Missing and nothing is created.
    StoreResult Open(OpenMode mode = OpenMode::Create);
    // The series named: created with `start` and `step` when it does not exist (Unknown without a
    // start), else checked against them; `next` is its next number.
    StoreResult CheckSeries(const QString& name, std::optional<qint64> start, std::optional<qint64> step,
                            SeriesState& state, SeriesKind kind = SeriesKind::Counter);
    // A list's or generator's series: its running count taken and moved on by one, in its own transaction.
    StoreResult TakeCount(const QString& series, qint64& number);
    // One transaction: the series' value (never one it issued before, whichever process asks), kept with
    // the line it came from, and the record written as "allocated".
    StoreResult BeginIssued(ChipRecord& record, const IssueRequest& request);
    // One transaction: the series' next number (when `record.series` is set; above `largest` it is
    // refused and nothing changes), the series moved on, and the record written as "allocated".
    // `choice` may keep the chip's own number or take back one that never reached a chip, before a new one.
    StoreResult Begin(ChipRecord& record, quint64 largest, const NumberChoice& choice = {});
    // Whether the series issued `number` to a chip: `firstRecord` is then the first run that sent it.
    StoreResult FindIssued(const QString& series, qint64 number, std::optional<qint64>& firstRecord);
    // The record as the run ended.
    StoreResult Finish(const ChipRecord& record);
    // A whole record at once, for a run that ended before it was begun.
    StoreResult Add(ChipRecord& record);
    StoreResult History(const HistoryQuery& query, QList<ChipRecord>& records);
    // The chips' yield (production/Yield.h): one group without a grouping, else one per key in order.
    StoreResult Yield(const YieldQuery& query, QList<YieldGroup>& groups);

private:
    struct Worker;
    struct Direct {};
    ChipStore(QString location, Direct);
    // Runs `body` with `value` on the store's thread against its connection, within the deadline; `value`
    // is copied there and back, so an abandoned call touches nothing of the caller's.
    template <class T>
    StoreResult OnStoreThread(T& value, std::function<StoreResult(ChipStore&, T&)> body) {
        auto copy = std::make_shared<T>(value);
        const StoreResult result = Call([copy, body](ChipStore& direct) { return body(direct, *copy); });
        if (result.problem != StoreProblem::TimedOut && result.problem != StoreProblem::Cancelled) value = *copy;
        return result;
    }
    StoreResult Call(std::function<StoreResult(ChipStore&)> body);

    StoreResult Insert(ChipRecord& record);
    StoreResult Transaction(const std::function<StoreResult()>& body);
    StoreResult OpenFile(OpenMode mode);
    StoreResult Connect();  // to the server
    StoreResult CreateTables(int version);

    QString m_path;
    bool m_server = false;
    QString m_connection;
    std::shared_ptr<Worker> m_worker;  // none: this object is the store thread's own, and runs the statements
    const core::CancelToken* m_cancel = nullptr;
    StoreResult m_abandoned;  // the call this object gave up on, which every later call answers at once
};

// The verdict as history shows it: a number still "allocated" by a process of this bench that no longer
// runs was "interrupted"; one still running shows as "running".
QString ShownVerdict(const ChipRecord& record);

}  // namespace zendra::production
