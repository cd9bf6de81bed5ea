#pragma once
// Refuses a second writer operation while one is waiting for the writer.
// Every handler that talks to the writer (or changes what a running operation works on) takes a Hold first;
// the operation's own nested steps call the unguarded bodies directly, so they pass.

#include <QString>
#include <optional>

namespace zendra::core {

class Progress;

inline const QString kBusyText = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "他の処理を実行中です。"));

class OperationGuard {
public:
    class Hold {
    public:
        explicit Hold(OperationGuard& guard) : m_guard(&guard) { m_guard->m_busy = true; }
        Hold(Hold&& other) noexcept : m_guard(other.m_guard) { other.m_guard = nullptr; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Hold& operator=(Hold&&) = delete;
        ~Hold() {
            if (m_guard) m_guard->m_busy = false;
        }

    private:
        OperationGuard* m_guard;
    };

    bool IsBusy() const { return m_busy; }

    // A Hold when idle; nullopt when busy.
    std::optional<Hold> TryEnter() {
        if (m_busy) return std::nullopt;
        return std::optional<Hold>(std::in_place, *this);
    }

    // TryEnter, and when busy shows kBusyText in status panel 1.
    std::optional<Hold> TryEnterOrRefuse(Progress& progress);

private:
    bool m_busy = false;
};

}  // namespace zendra::core
