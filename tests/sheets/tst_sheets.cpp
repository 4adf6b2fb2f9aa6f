// The spreadsheet exports: which figures become numbers, the CSV bytes Excel reads, the workbook read from its zip.

#include "Inflate.h"
#include "SheetCsv.h"
#include "SheetXlsx.h"
#include "TableExport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <unistd.h>
#endif

using namespace Sheets;

namespace {

// One deflated member of a zip file: its bytes follow the local header, the name and the extra field, as many as
// the local header says (the writer fills in the sizes).
QByteArray ZipEntry(const QString &path, const QByteArray &name)
{
    QFile file(path);
    const QByteArray zip = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const qsizetype at = zip.indexOf(name) - 30;
    if (at < 0)
        return {};
    const auto u16 = [&zip](qsizetype i) { return qsizetype(uchar(zip[i])) | qsizetype(uchar(zip[i + 1])) << 8; };
    const QByteArray packed = zip.mid(at + 30 + name.size() + u16(at + 28), u16(at + 18) | u16(at + 20) << 16);
    return Inflate::Unpack(packed, Inflate::Wrapper::Raw, 1 << 20).value_or(QByteArray());
}

Batch::Row MakeRow(int number, const QString &domain, const QStringList &texts)
{
    Batch::Row row;
    row.number = number;
    row.setDomain(domain);
    for (int i = 0; i < texts.size(); ++i)
        if (texts[i] != "...") // pending as a new row stands
            row.setFigure(i, {texts[i], texts[i] == "失败" ? Batch::CellState::Failed : Batch::CellState::Done});
    return row;
}

const QList<Batch::Row> kRows{MakeRow(1, "123", {"3", "1,234", "=1+1", "约5", "失败", "..."}),
                              MakeRow(2, "b.cn", {"0", "7", "8", "9", "10", "2024-05-01"})};

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
    // Numbers are read as written, without group commas and blanks around; anything else stays text.
    void numberOf_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("number"); // null: text
        for (const char *text : {"7", "1,234", "-3", "12.5", " \t1,000\u3000", "123456789012345"})
            QTest::addRow("'%s'", text) << QString::fromUtf8(text) << QString::fromUtf8(text).remove(',').trimmed();
        for (const char *text : {"1234567890123456", "失败", "", "100-200", "2024-05-01", "约1,000", "1,23", "1234,567",
                                 "1e5", "+5", "007", "12."})
            QTest::addRow("'%s'", text) << QString::fromUtf8(text) << QString();
    }
    void numberOf()
    {
        QFETCH(QString, text);
        QFETCH(QString, number);
        const std::optional<double> got = NumberOf(text);
        QCOMPARE(got ? NumberText(*got) : QString(), number);
    }

    // A domain is text even when it looks numeric, a formula too; a missing time is an empty cell.
    void tablesFromRows()
    {
        const Table batch = FromBatch(kRows, {QDateTime(QDate(2024, 5, 1), QTime(9, 5, 30))});
        QCOMPARE(batch.headers.join('|'),
                 "序号|查询域名地址|百度权重|关键字条数|百度来量|百度收录|百度反链|百度快照|查询时间");
        QCOMPARE(Shape(batch.rows[0]), "#1|123|#3|#1234|=1+1|约5|失败|...|2024-05-01 09:05");
        QCOMPARE(Shape(batch.rows[1]), "#2|b.cn|#0|#7|#8|#9|#10|2024-05-01|");
        const Site::KeywordRow keyword{4, {"2024", "3", "1,500", "失败", "404"}};
        const Table full = FromKeywords({keyword}, false, QDateTime(QDate(2024, 1, 2), QTime(3, 4)));
        QCOMPARE(full.headers.join('|'), "序号|关键字|百度排名|百度搜索指数|百度收录量|网页标题|查询时间");
        QCOMPARE(Shape(full.rows[0]), "#4|2024|#3|#1500|失败|404|2024-01-02 03:04");
        const Table words = FromKeywords({keyword}, true, QDateTime());
        QCOMPARE(words.headers.join('|') + ':' + Shape(words.rows.value(0)), "关键字:2024");
    }

    void csvBytes()
    {
        const Table table{{"序号", "名,称", "备注"},
                          {{{"1,234", 1234.0}, {"say \"hi\"", {}}, {"a|b", {}}},
                           {{"-3", -3.0}, {"两行\r\n文字", {}}, {"=HYPERLINK(\"x\")", {}}},
                           {{"12.5", 12.5}, {"-1+2", {}}, {"@SUM(A1)", {}}},
                           {{"\tx", {}}, {"+5", {}}, {"", {}}},
                           {{"\n=1+1", {}}, {"\r\r@A1", {}}, {QString(40000, 'x'), {}}}}};
        QCOMPARE(Csv::Encode(table), QByteArray("\xEF\xBB\xBF"
                                                "序号,\"名,称\",备注\r\n"
                                                "1234,\"say \"\"hi\"\"\",\"a|b\"\r\n"
                                                "-3,\"两行\r\n文字\",\"'=HYPERLINK(\"\"x\"\")\"\r\n"
                                                "12.5,'-1+2,'@SUM(A1)\r\n"
                                                "'\tx,'+5,\r\n"
                                                "\"'\n=1+1\",\"'\r\r@A1\",") +
                                         QByteArray(40000, 'x') + "\r\n"); // kept whole
        QTemporaryDir dir;
        QCOMPARE(Xlsx::Write(dir.filePath("t.xlsx"), table, "s").cutCells, 1); // a workbook's cell holds 32,767
    }

    // Read back after failed writes (too wide a table over it, a missing folder) that must leave nothing behind.
    void xlsxWrittenAndKept()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("批量.xlsx");
        QVERIFY(Xlsx::Write(path, FromBatch(kRows, {}), "查询结果").ok);
        Table wide;
        for (int c = 0; c <= 16384; ++c)
            wide.headers << QString::number(c);
        for (const WriteResult &failed :
             {Xlsx::Write(path, wide, "s"), Xlsx::Write(dir.filePath("gone/a.xlsx"), {}, "s"),
              Csv::Write(dir.filePath("gone/a.csv"), {})})
            QVERIFY(!failed.ok && !failed.error.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), {"批量.xlsx"});
        const QByteArray book = ZipEntry(path, "xl/worksheets/sheet1.xml") + ZipEntry(path, "xl/workbook.xml") +
                                ZipEntry(path, "xl/styles.xml");
        for (const char *part :
             {"<c r=\"D2\"><v>1234</v></c>", "<c r=\"B2\" t=\"inlineStr\"><is><t>123</t></is></c>",
              "<c r=\"E2\" t=\"inlineStr\"><is><t>=1+1</t></is></c>", // a string, never a formula
              "<c r=\"I1\" s=\"1\" t=\"inlineStr\"><is><t>查询时间</t>", "<b/>",
              "ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"",
              "<autoFilter ref=\"A1:I3\"/>", "<col min=\"2\" max=\"2\" width=\"", "<sheet name=\"查询结果\""})
            QVERIFY2(book.contains(part), part);
    }

    void fullDisk_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("append");
        for (const char *file : {"t.txt", "t.csv", "t.xlsx"})
            QTest::newRow(file) << QString(file) << false;
        QTest::newRow("appended to") << "t.txt" << true;
    }
    // Every writer of a table comes here. A write that fails, at the last flush as anywhere, keeps the old file: on a
    // full file system (a tmpfs, mounted as root only) and into a device that takes nothing, which stays a device.
    void fullDisk()
    {
        QFETCH(QString, file);
        QFETCH(bool, append);
        const TableExport::Format format = TableExport::FormatOfPath(file);
        QVERIFY(!TableExport::WriteBatch({"/dev/full", format, append}, kRows, {}).ok &&
                !QFileInfo("/dev/full").isFile());
#ifdef Q_OS_LINUX
        QTemporaryDir dir;
        const QByteArray at = QFile::encodeName(dir.path()), old(4096, 'o'); // a whole page: an append needs another
        if (::geteuid() != 0 || ::mount("morvane-test", at.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("a full file system is mounted for the test only as root");
        const auto unmount = qScopeGuard([&] { ::umount2(at.constData(), MNT_DETACH); });
        QFile kept(dir.filePath(file)), fill(dir.filePath("fill"));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write(old) == old.size() && kept.flush() &&
                fill.open(QIODevice::WriteOnly));
        while (fill.write(old) == old.size() && fill.flush()) {
        }
        const WriteResult written = TableExport::WriteBatch({dir.filePath(file), format, append}, kRows, {});
        QVERIFY(!written.ok && !written.error.isEmpty());
        kept.close();
        QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"fill", file}));
#endif
    }
};

QTEST_GUILESS_MAIN(TestSheets)
#include "tst_sheets.moc"
