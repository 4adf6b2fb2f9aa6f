// Inputs the fuzzers under fuzz/ found, kept so the faults stay fixed.

#include "Charset.h"
#include "DomainList.h"
#include "TextNumbers.h"

#include <QtTest>

#include <cmath>
#include <limits>

class FuzzFindings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Qt refuses both an overflow and an underflow; an underflow was read as infinity.
    void valOutOfRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("underflow") << "1e-400" << 0.0;
        QTest::newRow("negative underflow") << "-1e-400" << -0.0;
        QTest::newRow("underflow without exponent") << "0." + QString(400, '0') + "1" << 0.0;
        QTest::newRow("overflow") << "1e400" << inf;
        QTest::newRow("negative overflow") << "- 1 e 400" << -inf;
    }
    void valOutOfRange()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        const double val = TextNumbers::Val(text);
        QCOMPARE(val, value);
        QCOMPARE(std::signbit(val), std::signbit(value));
    }

    // A UTF-32 file with a unit beyond Unicode decoded to a lone surrogate.
    void utf32BeyondUnicode()
    {
        const QString text = DomainList::DecodeFile(QByteArray::fromBase64("//4AAAAAAAAADP//"));
        QVERIFY(text.endsWith(QChar::ReplacementCharacter));
        QCOMPARE(QString::fromUtf8(text.toUtf8()), text); // well formed: it survives UTF-8
    }

    // ICU skipped the invisible characters GBK lacks instead of writing "?".
    void encodeAnsiOnePerCodePoint_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("ansi");
        QTest::newRow("byte order mark inside, as the fuzzer found it")
            << Charset::Decode("\xbf\x68\xa9\xef\xbb\xbf\x68\xa9\x9f\x98\x80", "utf-8").value()
            << QByteArray("?h??h????");
        QTest::newRow("soft hyphen, zero width space, tag") << "a\u00ADb\u200Bc\U000E0041" << QByteArray("a?b?c?");
        QTest::newRow("leading byte order mark, GBK after it")
            << QChar(0xFEFF) + QStringLiteral("你") << QByteArray("?\xC4\xE3");
    }
    void encodeAnsiOnePerCodePoint()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, ansi);
        QCOMPARE(Charset::EncodeAnsi(text), ansi);
    }
};

QTEST_GUILESS_MAIN(FuzzFindings)
#include "tst_fuzz_findings.moc"
