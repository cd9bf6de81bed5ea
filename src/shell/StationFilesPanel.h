#pragma once
// The station window's panel of the job's files and its lock: each file with the SHA-256 (short form) the
// setup pinned, the one of the bytes the station programs and the file's time; a file loaded with other
// bytes than the setup's stops the station until an engineer accepts it; a file changed on disk after the
// start is a notice until an engineer reloads. It sits in the station window, so no dialog stands in the
// way of the start keys.

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "production/StationFiles.h"
#include "shell/LiveText.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace zendra::shell {

class StationGate;

namespace texts {
inline const QString kFilesRole = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "種類"));
inline const QString kFilesPath = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイル"));
inline const QString kFilesPinned = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "設定の SHA-256"));
inline const QString kFilesLoaded = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "書き込む SHA-256"));
inline const QString kFilesTime = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ファイルの日時"));
inline const QString kFilesState = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "状態"));
inline const QString kFileAsSetup = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "設定どおり"));
inline const QString kFileUnaccepted = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "設定と違う (承認待ち)"));
inline const QString kFileAccepted = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "設定と違う (このセッションで承認済み)"));
inline const QString kFileChangedOnDisk = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "読み込み後に変更あり"));
// %1 the files.
inline const QString kFilesStopped = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "ベンチ設定の保存後に変わったファイルがあります: %1。エンジニアが承認するまでチップを開始しません。"));
inline const QString kFilesChangedOnDisk = QStringLiteral(QT_TRANSLATE_NOOP(
    "zendra", "読み込み後にディスク上で変わったファイルがあります: %1。ステーションは読み込んだ内容を書き込み続けます。"
              "変更を使うにはエンジニアが再読み込みしてください。"));
inline const QString kFilesAccept = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "承認"));
inline const QString kFilesReload = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "再読み込み"));
inline const QString kStationLock = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ロック"));
inline const QString kStationUnlock = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ロック解除"));
// %1 the bench that unlocked last, or "-".
inline const QString kLockStateLocked = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ロック中 (最後の解除: %1)"));
inline const QString kLockStateOpen = QStringLiteral(QT_TRANSLATE_NOOP("zendra", "ロックなし"));
}  // namespace texts

class StationFilesPanel final : public QWidget, public LanguageAware {
    Q_OBJECT
public:
    // `reload`: the station's job read again, its files as loaded; none when it could not be.
    StationFilesPanel(production::StationFiles files, StationGate* gate, const QString& setupPath,
                      std::function<std::optional<QList<production::FileDigest>>()> reload, QWidget* parent);

    // No chip may start: a file differs from the setup and no engineer has accepted it.
    bool Stopped() const { return m_files.Stopped(); }
    const production::StationFiles& Files() const { return m_files; }
    // Looks at the files on disk again (the panel does so every second by itself).
    void Refresh();
    void ShowInCurrentLanguage() override { Show(); }

    QTableWidget* tblFiles = nullptr;
    QLabel* lblFilesNotice = nullptr;
    QLabel* lblLockState = nullptr;
    QPushButton* btnAccept = nullptr;
    QPushButton* btnReload = nullptr;
    QPushButton* btnLock = nullptr;
    QPushButton* btnUnlock = nullptr;

private:
    void Show();

    production::StationFiles m_files;
    StationGate* m_gate;
    QString m_setupPath;
    std::function<std::optional<QList<production::FileDigest>>()> m_reload;
    QTimer m_look;
};

}  // namespace zendra::shell
