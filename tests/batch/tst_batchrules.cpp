// The plain rules of the batch view: list splitting, file decoding and the
// pacing readings.

#include "DomainList.h"
#include "RunPacing.h"

#include <QStringEncoder>
#include <QtTest>

class TestBatchRules final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void importRows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("numbered"); // "n=domain"
        QTest::newRow("default list") << "www.a.com\r\nwww.b.com\r\nwww.c.com\r\n"
                                      << QStringList{"1=www.a.com", "2=www.b.com", "3=www.c.com"};
        QTest::newRow("blank line leaves a gap") << "a.com\r\n\r\nb.com" << QStringList{"1=a.com", "3=b.com"};
        QTest::newRow("no dot is skipped, number kept") << "localhost\r\nb.cn" << QStringList{"2=b.cn"};
        QTest::newRow("kept as typed") << "  x.com \r\nhttp://y.com/\r\nX.com\r\nX.com"
                                       << QStringList{"1=  x.com ", "2=http://y.com/", "3=X.com", "4=X.com"};
        QTest::newRow("lone LF or CR does not split") << "a.com\nb.com\rc.com" << QStringList{"1=a.com\nb.com\rc.com"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void importRows()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, numbered);
        QStringList got;
        for (const DomainList::Row &row : DomainList::RowsFromPieces(DomainList::SplitCrLf(text)))
            got << QString::number(row.number) + QLatin1Char('=') + row.domain;
        QCOMPARE(got, numbered);
    }

    void listFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("utf-8 CR LF") << QByteArray("a.com\r\n\xe4\xb8\xad.cn\r\n")
                                     << QStringList{"a.com", QString::fromUtf8("中.cn"), ""};
        QTest::newRow("utf-8 BOM, LF") << QByteArray("\xef\xbb\xbf"
                                                     "a.com\nb.com")
                                       << QStringList{"a.com", "b.com"};
        QTest::newRow("gbk") << QByteArray(QStringEncoder("GBK").encode(QString::fromUtf8("网站.中国\r\nb.com")))
                             << QStringList{QString::fromUtf8("网站.中国"), "b.com"};
        QTest::newRow("lone CR stays") << QByteArray("a.com\rb.com\n") << QStringList{"a.com\rb.com", ""};
    }
    void listFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(DomainList::SplitFileLines(DomainList::DecodeFile(bytes)), lines);
    }

    void pacingReadings()
    {
        QCOMPARE(RunPacing::RowsPerStretch(" 1 0"), qint16(10));
        QCOMPARE(RunPacing::RowsPerStretch("abc"), qint16(0));
        QCOMPARE(RunPacing::RowsPerStretch("32767"), qint16(32767));
        QVERIFY(!RunPacing::RowsPerStretch("32768"));
        QVERIFY(!RunPacing::RowsPerStretch("32767.5")); // half to even: 32768
        QCOMPARE(RunPacing::RestMilliseconds("59"), 59000);
        QCOMPARE(RunPacing::RestMilliseconds("0.05"), 50);
        QCOMPARE(RunPacing::RestMilliseconds("x"), 0);
        QCOMPARE(RunPacing::RestMilliseconds("65"), 65000);
        QVERIFY(!RunPacing::RestMilliseconds("65.001"));
        QVERIFY(!RunPacing::RestMilliseconds("-1"));
        QCOMPARE(RunPacing::NextRestAt(9, 10), qint16(19));
        QCOMPARE(RunPacing::NextRestAt(9, 0), qint16(0)); // would rest again at once
        QCOMPARE(RunPacing::NextRestAt(30000, 5000), qint16(0));
    }
};

QTEST_GUILESS_MAIN(TestBatchRules)
#include "tst_batchrules.moc"
