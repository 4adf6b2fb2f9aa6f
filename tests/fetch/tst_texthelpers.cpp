// Reading numbers from text, rounding, charset decoding and appending result
// lines to GBK files.

#include "Charset.h"
#include "TextFile.h"
#include "TextNumbers.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {
constexpr qint64 Fails = std::numeric_limits<qint64>::min();
}

class TestTextHelpers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void val_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("blanks inside") << " 1 2 3" << 123.0;
        QTest::newRow("tab and LF inside") << "\t-\n4 5" << -45.0;
        QTest::newRow("comma ends it") << "1,234" << 1.0;
        QTest::newRow("exponent then junk") << "-3.5e2x" << -350.0;
        QTest::newRow("exponent with blanks") << "2 e -2" << 0.02;
        QTest::newRow("e and sign only") << "1e-" << 1.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("points only") << "..." << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("e first") << "e5" << 0.0;
        QTest::newRow("two signs") << "+-1" << 0.0;
    }
    void val()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(TextNumbers::Val(text), expected);
    }

    void localeToDouble_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("expected");
        QTest::newRow("blanks around") << " 12 " << true << 12.0;
        QTest::newRow("group comma") << "1,234" << true << 1234.0;
        QTest::newRow("signed exponent") << "-1.5e3" << true << -1500.0;
        QTest::newRow("blank only") << "   " << false << 0.0;
        QTest::newRow("trailing junk") << "1x" << false << 0.0;
        QTest::newRow("blank inside") << "1 2" << false << 0.0;
        QTest::newRow("point only") << "." << false << 0.0;
        QTest::newRow("exponent only") << "e5" << false << 0.0;
        QTest::newRow("sign only") << "-" << false << 0.0;
    }
    void localeToDouble()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, expected);
        double value = -999;
        QCOMPARE(TextNumbers::LocaleToDouble(text, &value), ok);
        QCOMPARE(value, ok ? expected : -999.0); // untouched on failure
    }

    void round_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("to16");
        QTest::addColumn<qint64>("to32");
        QTest::newRow("0.5 to even") << 0.5 << qint64(0) << qint64(0);
        QTest::newRow("1.5 to even") << 1.5 << qint64(2) << qint64(2);
        QTest::newRow("-2.5 to even") << -2.5 << qint64(-2) << qint64(-2);
        QTest::newRow("2.6") << 2.6 << qint64(3) << qint64(3);
        QTest::newRow("int16 top") << 32767.4 << qint64(32767) << qint64(32767);
        QTest::newRow("over int16 top") << 32767.5 << Fails << qint64(32768);
        QTest::newRow("int16 bottom") << -32768.5 << qint64(-32768) << qint64(-32768);
        QTest::newRow("under int16 bottom") << -32768.6 << Fails << qint64(-32769);
        QTest::newRow("int32 top") << 2147483647.4 << Fails << qint64(2147483647);
        QTest::newRow("over int32 top") << 2147483647.5 << Fails << Fails;
        QTest::newRow("int32 bottom") << -2147483648.5 << Fails << qint64(-2147483648LL);
        QTest::newRow("under int32 bottom") << -2147483648.6 << Fails << Fails;
        QTest::newRow("NaN") << std::nan("") << Fails << Fails;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << Fails << Fails;
    }
    void round()
    {
        QFETCH(double, value);
        QFETCH(qint64, to16);
        QFETCH(qint64, to32);
        qint16 out16 = 7;
        qint32 out32 = 7;
        QCOMPARE(TextNumbers::RoundToInt16(value, &out16) ? out16 : Fails, to16);
        QCOMPARE(TextNumbers::RoundToInt32(value, &out32) ? out32 : Fails, to32);
    }

    void decode_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("expected");
        QTest::newRow("utf-8, BOM dropped") << "UTF-8" << QByteArray("\xEF\xBB\xBFh\xC3\xA9") << true << "hé";
        QTest::newRow("gbk") << "GBK" << QByteArray("\xC4\xE3\xBA\xC3") << true << "你好";
        QTest::newRow("gb2312 label with blanks, GBK-only character")
            << " gb2312 " << QByteArray("\x81\x40\xC4\xE3") << true << "丂你";
        QTest::newRow("unknown label") << "x-no-such-charset" << QByteArray("abc") << false << QString();
        QTest::newRow("empty label") << "" << QByteArray("abc") << false << QString();
    }
    void decode()
    {
        QFETCH(QString, label);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, known);
        QFETCH(QString, expected);
        const std::optional<QString> text = Charset::Decode(bytes, label);
        QCOMPARE(text.has_value(), known);
        QCOMPARE(text.value_or(QString()), expected);
    }

    // Failures to write are tested through the batch export, which saves with this.
    void appendLines_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file yet
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file, GBK, one ? per emoji, CR LF after every line")
            << QByteArray() << QStringList{"甲丂", "a\U0001F600b"} << QByteArray("\xBC\xD7\x81\x40\r\na?b\r\n");
        QTest::newRow("appended as it is") << QByteArray("old") << QStringList{"x", ""} << QByteArray("oldx\r\n\r\n");
        QTest::newRow("no lines") << QByteArray("keep") << QStringList{} << QByteArray("keep");
    }
    void appendLines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        QFile file(dir.filePath("result.txt"));
        if (!before.isNull()) {
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
            file.close();
        }
        const TextFile::AppendResult result = TextFile::AppendLines(file.fileName(), lines);
        QVERIFY2(result.ok, qPrintable(result.error));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
    }
};

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "tst_texthelpers.moc"
