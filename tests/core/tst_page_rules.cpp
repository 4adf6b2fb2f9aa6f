// The page rules as data: the built-in file, a user's file and what is wrong with a bad one; telling blocks and
// unreadable pages from pages to read; keeping those pages safely.

#include "KeywordPages.h"
#include "PageCheck.h"
#include "PageKeeper.h"
#include "Scraping.h"
#include "SearchCounts.h"
#include "support/SitePages.h"

#include <QtTest>

Q_DECLARE_METATYPE(PageCheck::Verdict)

namespace {

QByteArray BuiltInText()
{
    QFile file(QStringLiteral(":/morvane/page-rules.json"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The built-in text with one piece of it replaced.
QByteArray Edited(const QString &from, const QString &to)
{
    return QString::fromUtf8(BuiltInText()).replace(from, to).toUtf8();
}

} // namespace

class TestPageRules final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A user's file in the form of the built-in one replaces it; a bad one
    // is refused with its first problem, and the built-in rules work on.
    void userFile_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("problem"); // "" for a file that is taken
        QTest::newRow("the built-in text") << BuiltInText() << "";
        QTest::newRow("another marker") << Edited("百度权重值为", "权重：") << "";
        QTest::newRow("not JSON") << QByteArray("{\"version\": 1,") << "not valid JSON at character ";
        QTest::newRow("a list") << QByteArray("[]") << "it should be a JSON object";
        QTest::newRow("unknown version") << Edited("\"version\": 1", "\"version\": 2")
                                         << "\"version\" is 2; this program knows only 1";
        QTest::newRow("a rule missing") << Edited("\"after\": \"<\" },\n        \"snapshot\"",
                                                  "\"x\": 1 },\n        \"snapshot\"")
                                        << "\"overview.traffic.after\" is missing";
        QTest::newRow("an empty marker") << Edited("\"pager\": \"页号\"", "\"pager\": \"\"")
                                         << "\"keywordTable.pager\" is empty";
        QTest::newRow("a number as text") << Edited("\"length\": 2", "\"length\": \"2\"")
                                          << "\"overview.weight.length\" should be a whole number from 1 to 100";
        QTest::newRow("four cells") << Edited(",\n            { \"marker\": \"nofollow\\\">\", \"occurrence\": 2 }", "")
                                    << "\"keywordTable.cells\" should have 5 items";
        QTest::newRow("an empty block text")
            << Edited("\"百度安全验证\"", "\"\"") << "\"blocks.search.texts[0]\" should be text, not empty";
        QTest::newRow("a bad status") << Edited("[403, 429]", "[403, 42]")
                                      << "\"blocks.stats.statuses[1]\" should be an HTTP status";
    }
    void userFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QFile file(dir.filePath("page-rules.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        QString message;
        const std::shared_ptr<const PageRules> rules = PageRules::Load(file.fileName(), &message);
        QCOMPARE(rules.get() == &PageRules::BuiltIn(), !problem.isEmpty());
        QVERIFY2(problem.isEmpty() ? message.isEmpty()
                                   : message.contains(problem) && message.contains(file.fileName()) &&
                                         message.endsWith("the built-in rules are used instead"),
                 qPrintable(message));
        // No file at all: the built-in rules, and nothing to say.
        QVERIFY(PageRules::Load(dir.filePath("none.json"), &message).get() == &PageRules::BuiltIn() &&
                message.isEmpty());
    }

    // Every scraper reads the rules it is given.
    void scrapersFollowTheRules()
    {
        QString problem;
        const QByteArray edited = QString::fromUtf8(BuiltInText())
                                      .replace("百度权重值为", "权重：")
                                      .replace("找到相关结果", "结果数")
                                      .replace("<td>网页标题</td>", "<th>标题</th>")
                                      .toUtf8();
        const std::optional<PageRules> rules = PageRules::Parse(edited, &problem);
        QVERIFY2(rules, qPrintable(problem));
        const QString overview = QString::fromUtf8(SitePages::Overview("5", "30")).replace("百度权重值为", "权重：");
        const Scraping::Overview read = Scraping::ScrapeOverview(overview, *rules);
        QVERIFY(read.weight == "5" && read.keywords == "30" && !Scraping::ScrapeOverview(overview).hasWeightLine);
        const QString count = "结果数约1,234个";
        QCOMPARE(SearchCounts::CountCell(count, *rules) + '|' + SearchCounts::CountCell(count), "1,234|0");
        const QString page =
            QString::fromUtf8(SitePages::NumberedPage(1, 3)).replace("<td>网页标题</td>", "<th>标题</th>");
        QCOMPARE(KeywordPages::TableRows(page, *rules)->size(), 3);
        QVERIFY(!KeywordPages::TableRows(page));
    }

    void verdicts_data()
    {
        QTest::addColumn<int>("query"); // 0 overview, 1 search, 2 keyword page
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");
        QTest::addColumn<PageCheck::Verdict>("verdict");
        using V = PageCheck::Verdict;
        const QString overview = QString::fromUtf8(SitePages::Overview("2", "9"));
        QTest::newRow("overview") << 0 << overview << 200 << V::Read;
        QTest::newRow("overview, no weight line") << 0 << "<p>新版</p>" << 200 << V::Unrecognised;
        QTest::newRow("overview, 404 page") << 0 << "<p>404</p>" << 404 << V::Read;
        QTest::newRow("overview, nothing came") << 0 << "失败" << 0 << V::Failed;
        QTest::newRow("overview, 429 without a body") << 0 << "失败" << 429 << V::Blocked;
        QTest::newRow("overview, 403 page") << 0 << overview << 403 << V::Blocked;
        QTest::newRow("overview, verification") << 0 << "请输入验证码" << 200 << V::Blocked;
        QTest::newRow("search") << 1 << "找到相关结果约3个" << 200 << V::Read;
        QTest::newRow("search, nothing found") << 1 << "抱歉没有找到与“site:a.com”相关的网页" << 200 << V::Read;
        QTest::newRow("search, changed") << 1 << "<p>结果</p>" << 200 << V::Unrecognised;
        QTest::newRow("search, security check") << 1 << "百度安全验证" << 200 << V::Blocked;
        QTest::newRow("search, 429") << 1 << "slow down" << 429 << V::Blocked;
        QTest::newRow("keyword page") << 2 << QString::fromUtf8(SitePages::NumberedPage(1, 2)) << 200 << V::Read;
        QTest::newRow("keyword page, no table") << 2 << "<p>新版</p>" << 200 << V::Unrecognised;
    }
    void verdicts()
    {
        QFETCH(int, query);
        QFETCH(QString, text);
        QFETCH(int, status);
        QFETCH(PageCheck::Verdict, verdict);
        const PageRules &rules = PageRules::BuiltIn();
        const PageCheck::Verdict got = query == 0   ? PageCheck::Overview(text, status, rules)
                                       : query == 1 ? PageCheck::SearchResult(text, status, rules)
                                                    : PageCheck::KeywordPage(text, status, rules);
        QCOMPARE(int(got), int(verdict));
    }

    // Kept pages stay inside their folder under a name the system takes, ten a run.
    void keeper()
    {
        QTemporaryDir dir;
        PageKeeper keeper;
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 30, 5, 12));
        QVERIFY(keeper.Keep(PageCheck::Service::Stats, "a.com", "x", when).isEmpty()); // no folder
        keeper.SetFolder(dir.filePath("diagnostics"));
        const QString path = keeper.Keep(PageCheck::Service::Search, "../../etc/passwd\r\n", "body", when);
        QCOMPARE(path, dir.filePath("diagnostics/20261207-093005-012-baidu-_._.._etc_passwd__.html"));
        QCOMPARE(PageKeeper::FileNamePart(".hidden") + PageKeeper::FileNamePart(""), "_hidden_");
        for (int i = 1; i < PageKeeper::kPagesPerRun; ++i)
            QVERIFY(!keeper.Keep(PageCheck::Service::Stats, QString::number(i), "b", when).isEmpty());
        QVERIFY(keeper.Keep(PageCheck::Service::Stats, "eleventh", "b", when).isEmpty());
        keeper.Reset();
        QVERIFY(!keeper.Keep(PageCheck::Service::Stats, "eleventh", "b", when).isEmpty());
        QCOMPARE(QDir(dir.filePath("diagnostics")).count() - 2, uint(PageKeeper::kPagesPerRun + 1));
    }
};

QTEST_GUILESS_MAIN(TestPageRules)
#include "tst_page_rules.moc"
