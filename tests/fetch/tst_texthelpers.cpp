// Reading numbers from text, rounding, charset decoding and appending result
// lines to GBK files.

#include "Charset.h"
#include "TextFile.h"
#include "TextNumbers.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

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
        QTest::newRow("points only") << "..." << 0.0;
        QTest::newRow("exponent then junk") << "-3.5e2x" << -350.0;
        QTest::newRow("exponent with blanks") << "2 e 3" << 2000.0;
        QTest::newRow("negative exponent") << "25e-2" << 0.25;
        QTest::newRow("bare e") << "1e" << 1.0;
        QTest::newRow("e and sign only") << "1e-" << 1.0;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("e first") << "e5" << 0.0;
        QTest::newRow("sign only") << "+" << 0.0;
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
        QTest::newRow("signed fraction") << "-0.5" << true << -0.5;
        QTest::newRow("exponent") << "1.5e3" << true << 1500.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("blank only") << "   " << false << 0.0;
        QTest::newRow("letters") << "abc" << false << 0.0;
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

    void roundToInt16_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5 to even") << 0.5 << true << 0;
        QTest::newRow("1.5 to even") << 1.5 << true << 2;
        QTest::newRow("2.5 to even") << 2.5 << true << 2;
        QTest::newRow("-2.5 to even") << -2.5 << true << -2;
        QTest::newRow("2.6") << 2.6 << true << 3;
        QTest::newRow("top, rounds down") << 32767.4 << true << 32767;
        QTest::newRow("top, rounds over") << 32767.5 << false << 0;
        QTest::newRow("bottom half to even") << -32768.5 << true << -32768;
        QTest::newRow("bottom, rounds under") << -32768.6 << false << 0;
        QTest::newRow("NaN") << std::nan("") << false << 0;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << 0;
    }
    void roundToInt16()
    {
        QFETCH(double, value);
        QFETCH(bool, ok);
        QFETCH(int, expected);
        qint16 out = 7;
        QCOMPARE(TextNumbers::RoundToInt16(value, &out), ok);
        if (ok)
            QCOMPARE(int(out), expected);
    }

    void roundToInt32_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("3.5 to even") << 3.5 << true << qint64(4);
        QTest::newRow("-0.5 to even") << -0.5 << true << qint64(0);
        QTest::newRow("past int16") << 40000.5 << true << qint64(40000);
        QTest::newRow("top, rounds down") << 2147483647.4 << true << qint64(2147483647);
        QTest::newRow("top, rounds over") << 2147483647.5 << false << qint64(0);
        QTest::newRow("bottom half to even") << -2147483648.5 << true << qint64(-2147483648LL);
        QTest::newRow("bottom, rounds under") << -2147483648.6 << false << qint64(0);
        QTest::newRow("NaN") << std::nan("") << false << qint64(0);
    }
    void roundToInt32()
    {
        QFETCH(double, value);
        QFETCH(bool, ok);
        QFETCH(qint64, expected);
        qint32 out = 7;
        QCOMPARE(TextNumbers::RoundToInt32(value, &out), ok);
        if (ok)
            QCOMPARE(qint64(out), expected);
    }

    void decode_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("expected");
        QTest::newRow("utf-8") << "utf-8" << QByteArray("h\xC3\xA9llo") << true << QString::fromUtf8("héllo");
        QTest::newRow("utf-8 BOM dropped") << "UTF-8" << QByteArray("\xEF\xBB\xBFok") << true << "ok";
        QTest::newRow("gb2312 with GBK-only characters")
            << "gb2312" << QByteArray("\x81\x40\xA1\xA4\xC4\xE3") << true << QString::fromUtf8("丂·你");
        QTest::newRow("gbk") << "GBK" << QByteArray("\xC4\xE3\xBA\xC3") << true << QString::fromUtf8("你好");
        QTest::newRow("label with blanks") << " gb2312 " << QByteArray("\xC4\xE3") << true << QString::fromUtf8("你");
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
        if (known)
            QCOMPARE(*text, expected);
    }

    void appendLines_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file, GBK, CR LF after last line")
            << false << QByteArray() << QStringList{QString::fromUtf8("甲丂"), "abc"}
            << QByteArray("\xBC\xD7\x81\x40\r\nabc\r\n");
        QTest::newRow("appends to existing") << true << QByteArray("old\r\n") << QStringList{"new"}
                                             << QByteArray("old\r\nnew\r\n");
        QTest::newRow("existing tail left as is") << true << QByteArray("old") << QStringList{"x", ""}
                                                  << QByteArray("oldx\r\n\r\n");
        QTest::newRow("emoji becomes one ?") << false << QByteArray()
                                             << QStringList{QString::fromUtf8("a\xF0\x9F\x98\x80" "b")}
                                             << QByteArray("a?b\r\n");
        QTest::newRow("no lines, new file") << false << QByteArray() << QStringList{} << QByteArray();
        QTest::newRow("no lines, existing file") << true << QByteArray("keep") << QStringList{}
                                                 << QByteArray("keep");
    }
    void appendLines()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, before);
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("result.txt"));
        if (exists) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }
        const TextFile::AppendResult result = TextFile::AppendLines(path, lines);
        QVERIFY2(result.ok, qPrintable(result.error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), after);
    }

    void appendLinesFails_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing folder") << QStringLiteral("/nonexistent-folder-for-tests/sub/result.txt");
        QTest::newRow("full device") << QStringLiteral("/dev/full");
    }
    void appendLinesFails()
    {
        QFETCH(QString, path);
        if (path.startsWith(QLatin1String("/dev/")) && !QFile::exists(path))
            QSKIP("no such device here");
        const TextFile::AppendResult result = TextFile::AppendLines(path, {QStringLiteral("line")});
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTextHelpers)
#include "tst_texthelpers.moc"
