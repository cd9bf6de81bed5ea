// The watcher behind program-on-change: it must keep hearing a file whose folder, and the folder above,
// a clean rebuild removes and makes again.

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/FileWatcher.h"

using zendra::core::FileWatcher;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

}  // namespace

class FileWatcherTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // `removed` is the folder removed whole, relative to the temporary folder; the file is out/bin/fw.hex.
    void folderRemovedAndMadeAgain_data() {
        QTest::addColumn<QString>("removed");
        QTest::newRow("the file's folder") << "out/bin";
        QTest::newRow("its parent too") << "out";
    }
    void folderRemovedAndMadeAgain() {
        QFETCH(QString, removed);
        QTemporaryDir root;
        const QString folder = root.filePath("out/bin"), file = folder + "/fw.hex";
        QVERIFY(QDir().mkpath(folder));
        Write(file, "first");
        FileWatcher watcher;
        watcher.Follow({file});
        QSignalSpy settled(&watcher, &FileWatcher::settled), gone(&watcher, &FileWatcher::fileGone),
            back(&watcher, &FileWatcher::fileBack);
        QVERIFY(!watcher.TakeChange());

        for (int round = 1; round <= 2; ++round) {
            const qsizetype still = settled.size();
            QVERIFY(QDir(root.filePath(removed)).removeRecursively());
            QTRY_COMPARE(gone.size(), round);
            QCOMPARE(gone.last().first().toString(), file);
            // Nothing is taken while the file is gone.
            QTest::qWait(FileWatcher::kSettleMs + 200);
            QCOMPARE(settled.size(), still);
            // The nearest folder that is left is followed in the meantime.
            QTRY_VERIFY(watcher.Followed().contains(root.path()) || watcher.Followed().contains(root.filePath("out")));
            const qsizetype before = settled.size();
            QVERIFY(QDir().mkpath(folder));
            Write(file, "rebuilt " + QByteArray::number(round));
            QTRY_COMPARE(back.size(), round);
            QTRY_VERIFY(watcher.Followed().contains(file));
            QTRY_VERIFY(settled.size() > before);
            QVERIFY(watcher.TakeChange());
            QVERIFY(!watcher.TakeChange());
        }
        // And it still hears an ordinary rewrite afterwards.
        const qsizetype before = settled.size();
        Write(file, "edited");
        QTRY_VERIFY(settled.size() > before);
        QVERIFY(watcher.TakeChange());
    }
};

QTEST_GUILESS_MAIN(FileWatcherTest)
#include "tst_filewatcher.moc"
