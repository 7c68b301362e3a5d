#include <QtTest>

// The preloaded virtual frame under a program linked against the real hidapi: configured by the environment,
// writing its record to a file.
class TestVirtualFramePreload : public QObject {
    Q_OBJECT

private:
    QTemporaryDir folder;

    int runProbe(const QStringList &environment, QStringList *record) {
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(ORVESSA_VIRTUAL_FRAME_PRELOAD));
        // In sanitizer builds the preloaded frame comes before the sanitizer runtime, which then must not object.
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":verify_asan_link_order=0"));
        env.insert(QStringLiteral("ORVESSA_VIRTUAL_FRAME_RECORD"), folder.filePath(QStringLiteral("record.txt")));
        for (const QString &assignment : environment)
            env.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
        probe.setProcessEnvironment(env);
        probe.start(QStringLiteral(ORVESSA_HIDAPI_PROBE), {});
        if (!probe.waitForFinished(30000))
            return -1;
        QFile file(folder.filePath(QStringLiteral("record.txt")));
        if (file.open(QIODevice::ReadOnly))
            *record = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        return probe.exitCode();
    }

private slots:
    void defaultFrameAnswersAndRecordsEveryCall() {
        QStringList record;
        QCOMPARE(runProbe({}, &record), 0);
        const QString zeros = QStringLiteral(" 00").repeated(59);
        const QStringList expected{
            "# interface vendor=28E1 page=FF00 usage=00A3 path=virtual-frame:0",
            "enumerate vendor=0000 product=0000 list=1 entries=1",
            "open path=virtual-frame:0 handle=1",
            "free list=1 entries=1",
            "write handle=1 length=63 result=63 bytes=A3 55 88 FF" + zeros,
            "state mode=multi cleared=yes calibrating=no clears=1 abandons=0 upload=none coefficients= ignored=0",
            "write handle=1 length=63 result=63 bytes=A3 55 51 FF" + zeros,
            "state mode=multi cleared=yes calibrating=yes clears=1 abandons=0 upload=none coefficients= ignored=0",
            "read handle=1 length=64 timeout=100 result=64 bytes=A3 55 51 FF" + QStringLiteral(" 00").repeated(60),
            "close handle=1"};
        QCOMPARE(record, expected);
    }

    void scriptedFaults() {
        QStringList record;
        QCOMPARE(runProbe({"ORVESSA_VIRTUAL_FRAME_INTERFACES=13FF:FF00:0:/frame",
                           "ORVESSA_VIRTUAL_FRAME_START_REPLY=short", "ORVESSA_VIRTUAL_FRAME_FAIL_WRITE=88,zz"},
                          &record),
                 3);
        QVERIFY(record.contains("# ignored: not a hexadecimal command code: zz"));
        QVERIFY(record.filter("write handle=1 length=63 result=-1 bytes=06 55 88 FF").size() == 1);
        QVERIFY(record.filter("read handle=1 length=64 timeout=100 result=32 bytes=05 55 51 FF").size() == 1);

        QCOMPARE(runProbe({"ORVESSA_VIRTUAL_FRAME_INTERFACES="}, &record), 1);
        QCOMPARE(record, (QStringList{"enumerate vendor=0000 product=0000 list=none entries=0", "free list=none"}));

        QCOMPARE(runProbe({"ORVESSA_VIRTUAL_FRAME_FAIL_OPEN=virtual-frame:0"}, &record), 2);
        QVERIFY(record.contains("open path=virtual-frame:0 failed"));
    }
};

QTEST_GUILESS_MAIN(TestVirtualFramePreload)
#include "test_virtual_frame_preload.moc"
