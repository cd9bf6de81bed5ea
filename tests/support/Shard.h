#pragma once
// Runs a share of a long test program's functions: with "--shard K/N" only the functions whose place in
// the class (setup functions and data tables aside) is K modulo N, so ctest can run the shares side by
// side. A function added later joins a share by its place; nothing lists them.

#include <QMetaMethod>
#include <QStringList>
#include <QtTest>

namespace zendra::test {

inline int RunShard(QObject& test, int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const int at = args.indexOf(QStringLiteral("--shard"));
    if (at < 0 || at + 1 >= args.size()) return QTest::qExec(&test, args);
    const QStringList share = args.takeAt(at + 1).split(u'/');
    args.removeAt(at);
    const int k = share.value(0).toInt(), n = std::max(1, share.value(1).toInt());
    const QStringList setup{"initTestCase", "cleanupTestCase", "init", "cleanup"};
    const QMetaObject* meta = test.metaObject();
    for (int m = meta->methodOffset(), place = 0; m < meta->methodCount(); ++m) {
        const QMetaMethod method = meta->method(m);
        const QString name = QString::fromLatin1(method.name());
        if (method.methodType() != QMetaMethod::Slot || method.access() != QMetaMethod::Private ||
            method.parameterCount() != 0 || name.endsWith(QLatin1String("_data")) || setup.contains(name))
            continue;
        if (place++ % n == k) args << name;
    }
    return QTest::qExec(&test, args);
}

}  // namespace zendra::test

// As QTEST_GUILESS_MAIN, with "--shard K/N" understood.
#define ZENDRA_SHARDED_GUILESS_MAIN(TestClass)                    \
    int main(int argc, char** argv) {                             \
        QCoreApplication app(argc, argv);                         \
        TestClass test;                                           \
        return zendra::test::RunShard(test, argc, argv);          \
    }
