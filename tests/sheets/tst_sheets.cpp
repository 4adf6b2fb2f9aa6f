// The spreadsheet exports: which figures become numbers, the CSV bytes
// Excel reads, and the workbook read back from the zip it really is.

#include "SheetCsv.h"
#include "SheetXlsx.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

using namespace Sheets;

namespace {

// One member of a zip file, found through its central directory.
QByteArray ZipEntry(const QString &path, const QByteArray &name)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    const QByteArray zip = file.readAll();
    auto u16 = [&zip](qsizetype at) { return quint32(uchar(zip[at]) | uchar(zip[at + 1]) << 8); };
    auto u32 = [&u16](qsizetype at) { return u16(at) | u16(at + 2) << 16; };
    const qsizetype end = zip.lastIndexOf("PK\x05\x06");
    qsizetype at = u32(end + 16);
    for (quint32 i = 0, count = u16(end + 10); i < count; ++i) {
        const quint32 nameLength = u16(at + 28);
        if (zip.mid(at + 46, nameLength) == name) {
            const qsizetype local = u32(at + 42);
            const QByteArray packed = zip.mid(local + 30 + u16(local + 26) + u16(local + 28), u32(at + 20));
            if (u16(at + 10) == 0)
                return packed;
            QByteArray plain(qsizetype(u32(at + 24)), '\0');
            z_stream s = {};
            inflateInit2(&s, -MAX_WBITS);
            s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
            s.avail_in = uInt(packed.size());
            s.next_out = reinterpret_cast<Bytef *>(plain.data());
            s.avail_out = uInt(plain.size());
            const int status = inflate(&s, Z_FINISH);
            inflateEnd(&s);
            return status == Z_STREAM_END ? plain : QByteArray();
        }
        at += 46 + nameLength + u16(at + 30) + u16(at + 32);
    }
    return {};
}

Batch::Row BatchRow(int number, const QString &domain, const QStringList &figures)
{
    Batch::Row row{number, domain, {}};
    for (int i = 0; i < Batch::FigureCount; ++i)
        row.figures[i] = {figures[i], Batch::CellState::Done};
    return row;
}

// A row as "#" before each number and the text of each text cell.
QString Shape(const QList<Cell> &cells)
{
    QStringList out;
    for (const Cell &cell : cells)
        out << (cell.number ? QLatin1Char('#') + NumberText(*cell.number) : cell.text);
    return out.join(QLatin1Char('|'));
}

} // namespace

class TestSheets final : public QObject
{
    Q_OBJECT

private slots:
    void numberOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // the number, or "text"
        auto row = [](const char *tag, const char *text, const char *expected) {
            QTest::newRow(tag) << QString::fromUtf8(text) << QString::fromUtf8(expected);
        };
        row("plain", "7", "7");
        row("grouped", "1,234", "1234");
        row("negative", "-3", "-3");
        row("fraction", "12.5", "12.5");
        row("blanks around", " \t1,000\u3000", "1000");
        row("fifteen digits", "123456789012345", "123456789012345");
        row("sixteen digits", "1234567890123456", "text");
        row("failed", "失败", "text");
        row("empty", "", "text");
        row("range with dash", "100-200", "text");
        row("date", "2024-05-01", "text");
        row("about", "约1,000", "text");
        row("short group", "1,23", "text");
        row("long first group", "1234,567", "text");
        row("exponent", "1e5", "text");
        row("plus", "+5", "text");
        row("leading zero", "007", "text");
        row("bare point", "12.", "text");
    }

    void numberOf()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const std::optional<double> got = NumberOf(text);
        QCOMPARE(got ? NumberText(*got) : QStringLiteral("text"), expected);
    }

    void tablesFromRows()
    {
        const QList<Batch::Row> rows{BatchRow(1, "123", {"3", "1,234", "100 ~ 200", "约5", "失败", "..."}),
                                     BatchRow(2, "b.cn", {"0", "7", "8", "9", "10", "2024-05-01"})};
        const Table batch = FromBatch(rows, {QDateTime(QDate(2024, 5, 1), QTime(9, 5, 30))});
        QCOMPARE(batch.headers, QStringList({"序号", "查询域名地址", "百度权重", "关键字条数", "百度来量", "百度收录",
                                             "百度反链", "百度快照", "查询时间"}));
        // A domain is text even when it looks numeric; a missing time is an empty cell.
        QCOMPARE(Shape(batch.rows[0]), "#1|123|#3|#1234|100 ~ 200|约5|失败|...|2024-05-01 09:05");
        QCOMPARE(Shape(batch.rows[1]), "#2|b.cn|#0|#7|#8|#9|#10|2024-05-01|");

        const Site::KeywordRow keyword{4, {"2024", "3", "1,500", "失败", "404"}};
        const Table full = FromKeywords({keyword}, false, QDateTime(QDate(2024, 1, 2), QTime(3, 4)));
        QCOMPARE(full.headers,
                 QStringList({"序号", "关键字", "百度排名", "百度搜索指数", "百度收录量", "网页标题", "查询时间"}));
        QCOMPARE(Shape(full.rows[0]), "#4|2024|#3|#1500|失败|404|2024-01-02 03:04");
        const Table words = FromKeywords({keyword}, true, QDateTime());
        QCOMPARE(words.headers, QStringList{"关键字"});
        QCOMPARE(words.rows.size(), 1);
        QCOMPARE(Shape(words.rows[0]), "2024");
    }

    void csvBytes()
    {
        Table table{{"序号", "名,称", "备注"}, {}};
        table.rows << QList<Cell>{{"1,234", 1234.0}, {"say \"hi\"", {}}, {"a|b", {}}}
                   << QList<Cell>{{"-3", -3.0}, {"两行\r\n文字", {}}, {"=HYPERLINK(\"x\")", {}}}
                   << QList<Cell>{{"12.5", 12.5}, {"-1+2", {}}, {"@SUM(A1)", {}}}
                   << QList<Cell>{{"\tx", {}}, {"+5", {}}, {"", {}}};
        QCOMPARE(Csv::Encode(table), QByteArray("\xEF\xBB\xBF"
                                                "序号,\"名,称\",备注\r\n"
                                                "1234,\"say \"\"hi\"\"\",\"a|b\"\r\n"
                                                "-3,\"两行\r\n文字\",\"'=HYPERLINK(\"\"x\"\")\"\r\n"
                                                "12.5,'-1+2,'@SUM(A1)\r\n"
                                                "'\tx,'+5,\r\n"));
    }

    void xlsxReadBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("批量.xlsx"));
        const QList<Batch::Row> rows{BatchRow(1, QStringLiteral("123"), {"3", "1,234", "=1+1", "约5", "失败", "..."}),
                                     BatchRow(2, QStringLiteral("b.cn"), {"0", "7", "8", "9", "10", "2024-05-01"})};
        const WriteResult result = Xlsx::Write(path, FromBatch(rows, {}), QStringLiteral("查询结果"));
        QVERIFY2(result.ok, qPrintable(result.error));
        const QByteArray sheet = ZipEntry(path, "xl/worksheets/sheet1.xml");
        QVERIFY(sheet.contains("<c r=\"D2\"><v>1234</v></c>"));
        QVERIFY(sheet.contains("<c r=\"B2\" t=\"inlineStr\"><is><t>123</t></is></c>"));
        QVERIFY(sheet.contains("<c r=\"E2\" t=\"inlineStr\"><is><t>=1+1</t></is></c>")); // a string, never a formula
        QVERIFY(sheet.contains("t=\"inlineStr\"><is><t>失败</t>"));
        QVERIFY(sheet.contains("<c r=\"I1\" s=\"1\" t=\"inlineStr\"><is><t>查询时间</t>"));
        QVERIFY(sheet.contains("ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\""));
        QVERIFY(sheet.contains("<autoFilter ref=\"A1:I3\"/>"));
        QVERIFY(sheet.contains("<col min=\"2\" max=\"2\" width=\""));
        QVERIFY(ZipEntry(path, "xl/workbook.xml").contains("<sheet name=\"查询结果\""));
        QVERIFY(ZipEntry(path, "xl/styles.xml").contains("<b/>"));
    }

    void failedWritesLeaveNothing()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("gone/out"));
        for (const WriteResult &result :
             {Xlsx::Write(missing + ".xlsx", FromBatch({}, {}), "s"), Csv::Write(missing + ".csv", FromBatch({}, {}))})
            QVERIFY(!result.ok && !result.error.isEmpty());
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("gone"))));

        // Wider than a sheet can be: the old file stays as it was, no temporary is left.
        QFile old(dir.filePath(QStringLiteral("old.xlsx")));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        Table wide;
        for (int c = 0; c <= 16384; ++c)
            wide.headers << QString::number(c);
        const WriteResult result = Xlsx::Write(old.fileName(), wide, "s");
        QVERIFY(!result.ok && !result.error.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.xlsx"});
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestSheets)
#include "tst_sheets.moc"
