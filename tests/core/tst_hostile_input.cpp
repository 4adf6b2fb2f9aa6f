// Hostile input at the edges: list files that are not plain lists, domains
// that are not plain names, replies that do not unpack, and saved values
// that hold line breaks.

#include "DomainList.h"
#include "Endpoints.h"
#include "HTTPPage2.h"
#include "Markers.h"
#include "TextFile.h"
#include "support/TestServer.h"

#include <QStringEncoder>
#include <QtTest>

namespace {

const QString kPage = QStringLiteral("<p>压缩的页面</p>");
// kPage in gzip, made by another packer than the one under test.
const QByteArray kGzip = QByteArray::fromHex("1f8b0800000000000203b329b07bdad7fd7ccfcae7b35a5e2edcfa72ee221bfd023b00"
                                             "a04fbb0116000000");

QByteArray Gbk(const QString &text)
{
    return QStringEncoder("GB18030").encode(text);
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

    TestServer server;

    // The one event of a fetch of this address.
    QString Fetch(const QString &url)
    {
        HTTPPage2 page;
        QStringList events;
        connect(&page, &HTTPPage2::HttpEvent, this, [&events](const QString &text) { events << text; });
        page.SubIniData(url, QStringLiteral("utf-8"), QStringLiteral("10"));
        if (!QTest::qWaitFor([&events] { return !events.isEmpty(); }, 15000))
            return QStringLiteral("<no event>");
        return events.first();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(server.start()); }

    void listFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("rows"); // "number:domain" joined by "|"
        QTest::addColumn<int>("skippedLong");
        QTest::addColumn<bool>("refused");
        const QByteArray fits = QByteArray(2044, 'x') + ".com", over = 'x' + fits;
        QTest::newRow("lone CR") << QByteArray("cr1.test\rcr2.test\rcr3.test") << "1:cr1.test|2:cr2.test|3:cr3.test"
                                 << 0 << false;
        QTest::newRow("every line end") << QByteArray("a.t\r\nb.t\nc.t\r\rno dot\r\ne.t\n") << "1:a.t|2:b.t|3:c.t|6:e.t"
                                        << 0 << false;
        QTest::newRow("2048 characters fit, 2049 and 9000 do not")
            << fits + "\n" + over + "\n" + QByteArray(9000, '.') + "\nlast.t"
            << "1:" + QString(fits) + "|4:last.t" << 2 << false;
        QTest::newRow("2048 GBK characters in 4096 bytes fit")
            << Gbk(QString(2044, QChar(0x4F8B)) + ".com") << "1:" + QString(2044, QChar(0x4F8B)) + ".com" << 0 << false;
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF例子.中国\n") << "1:例子.中国" << 0 << false;
        QTest::newRow("UTF-16 with BOM") << QByteArray("\xFF\xFEx\0.\0t\0\r\0\n\0y\0.\0t\0", 18) << "1:x.t|2:y.t" << 0
                                         << false;
        QTest::newRow("GBK, a stray byte") << Gbk("甲.cn\n乙.cn\n") + "\x80z.cn"
                                           << "1:甲.cn|2:乙.cn|3:\uFFFDz.cn" << 0 << false;
        QTest::newRow("a NUL byte") << QByteArray("a.t\n\0b.t", 8) << "" << 0 << true;
        QTest::newRow("mostly control bytes")
            << QByteArray("\x01\x02\x03\x04.\x05\x06\x07\x08\n\x1B\x7F.x") << "" << 0 << true;
    }
    void listFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, rows);
        QFETCH(int, skippedLong);
        QFETCH(bool, refused);
        const DomainList::Import import = DomainList::ParseFile(bytes);
        QStringList got;
        for (const DomainList::Row &row : import.rows)
            got << QString::number(row.number) + ':' + row.domain;
        QCOMPARE(got.join('|'), rows);
        QCOMPARE(import.skippedLong, skippedLong);
        QCOMPARE(import.refusal, refused ? QStringLiteral("这不是文本文件") : QString());
    }

    // A real executable, a list too long for a run, and the words the user sees.
    void listFileLimits()
    {
        QFile self(QCoreApplication::applicationFilePath());
        QVERIFY(self.open(QIODevice::ReadOnly));
        QVERIFY(!DomainList::ParseFile(self.readAll()).refusal.isEmpty());
        QCOMPARE(DomainList::ParseFile(QByteArray("a.t\n").repeated(40000)).rows.size(), DomainList::kMaxRows + 1);
        QCOMPARE(DomainList::SplitFileLines("a\rb\r\nc\n"), QStringList({"a", "b", "c", ""}));
        QCOMPARE(DomainList::SkippedLongMessage(3), QStringLiteral("已跳过 3 行过长的内容（每行最多 2048 个字符）"));
    }

    // Each address is checked as built and as the server receives it: the
    // domain is one segment or one value, or, as a path step, not sent at all.
    void domainInAddresses_data()
    {
        QTest::addColumn<QString>("domain");
        QTest::addColumn<QString>("segment");
        QTest::addColumn<QString>("value");
        QTest::newRow("steps up") << "../../up.t"
                                  << "..%2F..%2Fup.t"
                                  << "..%2F..%2Fup.t";
        QTest::newRow("stray percent") << "pct%zz.t"
                                       << "pct%25zz.t"
                                       << "pct%25zz.t";
        QTest::newRow("percent escape") << "pct%41.t"
                                        << "pct%2541.t"
                                        << "pct%2541.t";
        QTest::newRow("question mark") << "a?b.t"
                                       << "a%3Fb.t"
                                       << "a%3Fb.t";
        QTest::newRow("ampersand") << "a&b.t"
                                   << "a%26b.t"
                                   << "a%26b.t";
        QTest::newRow("hash") << "a#b.t"
                              << "a%23b.t"
                              << "a%23b.t";
        QTest::newRow("tab, CR, NUL, blank, plus") << QString("a\tb\rc") + QChar(0) + "d e+f.t"
                                                   << "a%09b%0Dc%00d%20e%2Bf.t"
                                                   << "a%09b%0Dc%00d%20e%2Bf.t";
        QTest::newRow("Chinese") << "例子.中国"
                                 << "%E4%BE%8B%E5%AD%90.%E4%B8%AD%E5%9B%BD"
                                 << "%E4%BE%8B%E5%AD%90.%E4%B8%AD%E5%9B%BD";
        QTest::newRow("unreserved kept") << "A-z.0_9~"
                                         << "A-z.0_9~"
                                         << "A-z.0_9~";
        QTest::newRow("dots only") << ".."
                                   << "%2E%2E"
                                   << "..";
        QTest::newRow("one dot") << "."
                                 << "%2E"
                                 << ".";
    }
    void domainInAddresses()
    {
        QFETCH(QString, domain);
        QFETCH(QString, segment);
        QFETCH(QString, value);
        const QString stats = server.url("/baidu/"), search = "http://" + server.hostPort();
        const QString addresses[] = {Endpoints::OverviewUrl(stats, domain, false),
                                     Endpoints::KeywordPageUrl(stats, domain, 3),
                                     Endpoints::SearchUrl(search, "domain", domain)};
        const QString targets[] = {"/baidu/" + segment, "/baidu/" + segment + "/3/", "/s?wd=domain%3A" + value};
        const bool dotStep = segment.startsWith("%2E");
        server.fallback = TestServer::page("seen page");
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(addresses[i], "http://" + server.hostPort() + targets[i]);
            const int before = server.requestCount();
            const bool refused = dotStep && i < 2;
            QCOMPARE(Fetch(addresses[i]), refused ? Markers::kFailed : QStringLiteral("seen page"));
            QCOMPARE(server.requestCount(), before + (refused ? 0 : 1));
            if (!refused)
                QCOMPARE(server.requests().last().target, targets[i].toLatin1());
        }
    }

    // Text handed to the fetcher directly: escapes go out as written.
    void fetcherKeepsEscapes()
    {
        server.fallback = TestServer::page("seen page");
        QCOMPARE(Fetch(server.url("/s?wd=domain%3Apct%zz.t")), QStringLiteral("seen page"));
        QCOMPARE(server.requests().last().target, QByteArray("/s?wd=domain%3Apct%25zz.t"));
        for (const char *step : {"/a/%2e%2E/b", "/a/./b", "/a/.."})
            QCOMPARE(Fetch(server.url(step)), Markers::kFailed);
        QCOMPARE(Fetch("http://" + server.hostPort() + "?q=/../"), QStringLiteral("seen page")); // a query, no path
    }

    void packedReply_data()
    {
        QTest::addColumn<QByteArray>("coding");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        const QByteArray zlib = qCompress(kPage.toUtf8()).mid(4), damaged = QByteArray(kGzip).replace(20, 1, "\xFF");
        QTest::newRow("gzip") << QByteArray("gzip") << kGzip << kPage;
        QTest::newRow("two gzip members") << QByteArray("x-gzip") << kGzip + kGzip << kPage + kPage;
        QTest::newRow("deflate") << QByteArray("deflate") << zlib << kPage;
        QTest::newRow("bare deflate") << QByteArray("deflate") << zlib.mid(2).chopped(4) << kPage;
        QTest::newRow("gzip, then deflate") << QByteArray("gzip, deflate") << qCompress(kGzip).mid(4) << kPage;
        QTest::newRow("identity") << QByteArray("identity") << kPage.toUtf8() << kPage;
        QTest::newRow("gzip without its length") << QByteArray("gzip") << kGzip.chopped(4) << Markers::kFailed;
        QTest::newRow("gzip cut in the middle") << QByteArray("gzip") << kGzip.left(20) << Markers::kFailed;
        QTest::newRow("gzip damaged") << QByteArray("gzip") << damaged << Markers::kFailed;
        QTest::newRow("gzip, then junk") << QByteArray("gzip") << kGzip + "junk" << Markers::kFailed;
        QTest::newRow("plain text labelled gzip") << QByteArray("gzip") << kPage.toUtf8() << Markers::kFailed;
        QTest::newRow("a coding not asked for") << QByteArray("br") << kPage.toUtf8() << Markers::kFailed;
    }
    void packedReply()
    {
        QFETCH(QByteArray, coding);
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        TestServer::Reply reply = TestServer::page(body);
        reply.headers = "Content-Encoding: " + coding + "\r\n";
        server.route("/packed", reply);
        QCOMPARE(Fetch(server.url("/packed")), text);
    }

    void savedLines_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR, LF, NUL") << QStringList{"a\r\nb", QString("c") + QChar(0) + "d", "\re\n"}
                                     << QByteArray("a  b\r\nc d\r\n e \r\n");
        QTest::newRow("tab, DEL, unit separator") << QStringList{"a\tb\x7F"
                                                                 "c\x1F"
                                                                 "d"}
                                                  << QByteArray("a b c d\r\n");
        QTest::newRow("characters and empty lines kept") << QStringList{"甲", ""} << QByteArray("\xBC\xD7\r\n\r\n");
    }
    void savedLines()
    {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QCOMPARE(TextFile::Encode(lines), bytes);
    }
};

QTEST_GUILESS_MAIN(TestHostileInput)
#include "tst_hostile_input.moc"
