// The page rules as data: the built-in file, a user's file and what is wrong with a bad one, a version 1 file, the
// layouts read on pages written after the real ones (tests/data); telling blocks and unreadable pages from pages to
// read; keeping those pages safely, and what rules check says of one.

#include "Charset.h"
#include "KeywordPages.h"
#include "PageCheck.h"
#include "PageKeeper.h"
#include "RulesCheck.h"
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

QString DataPage(const char *name)
{
    QFile file(QStringLiteral(MORVANE_TEST_DATA "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The rules as a user's file over the built-in ones would make them.
PageRules Loaded(const QByteArray &text)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("page-rules.json"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    file.close();
    QString message;
    return *PageRules::Load(file.fileName(), &message);
}

template <typename T> QStringList Names(const QList<T> &layouts)
{
    QStringList names;
    for (const T &layout : layouts)
        names << layout.name;
    return names;
}

// The design's markers as the program shipped them before layouts.
const QByteArray kVersion1 =
    "{\"version\": 1,"
    " \"overview\": {\"section\": {\"before\": \"权重是\", \"after\": \"</div>\"}, \"weight\": {\"length\": 2, "
    "\"remove\": \"，\"},"
    "  \"keywords\": {\"before\": \"累计找到 <span style=\\\"color:#F00\\\">\", \"after\": \"<\"},"
    "  \"traffic\": {\"before\": \"网站的流量为：<span style=\\\"color:#F00\\\">\", \"after\": \"<\"},"
    "  \"snapshot\": {\"before\": \"百度快照日期：\", \"after\": \" \"}, \"indexed\": {\"before\": \"收录数：\", "
    "\"after\": \" \"}},"
    " \"searchCount\": {\"before\": \"找到相关结果\", \"after\": \"个\", \"remove\": \"约\", \"noResults\": "
    "[\"没有找到\"]},"
    " \"keywordTable\": {\"header\": \"<td>网页标题</td>\", \"pager\": \"页号\", \"row\": \"<tr>\", \"cell\": \"<td>\","
    "  \"cells\": [{\"marker\": \"nofollow\\\">\", \"occurrence\": 1}, {\"marker\": \"110%\\\">\", \"occurrence\": 1},"
    "   {\"marker\": \"right\\\">\", \"occurrence\": 1}, {\"marker\": \"right\\\">\", \"occurrence\": 2},"
    "   {\"marker\": \"nofollow\\\">\", \"occurrence\": 2}]},"
    " \"blocks\": {\"stats\": {\"statuses\": [403, 429], \"texts\": [\"访问验证\"]}, \"search\": {\"statuses\": [403], "
    "\"texts\": [\"x\"]}}}";

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
        QTest::newRow("another marker") << Edited("百度权重值为", "权重是") << "";
        QTest::newRow("a version 1 file") << kVersion1 << "";
        QTest::newRow("not JSON") << QByteArray("{\"version\": 2,") << "not valid JSON at character ";
        QTest::newRow("a list") << QByteArray("[]") << "it should be a JSON object";
        QTest::newRow("unknown version") << Edited("\"version\": 2", "\"version\": 3")
                                         << "\"version\" is 3; this program knows only 1 and 2";
        QTest::newRow("a rule missing") << Edited(", \"after\": \"</div>\" }", " }")
                                        << "\"overview[0].section.after\" is missing";
        QTest::newRow("an empty marker") << Edited("\"pager\": \"页号\"", "\"pager\": \"\"")
                                         << "\"keywordTable[0].pager\" is empty";
        QTest::newRow("a number as text") << Edited("\"first\": 2", "\"first\": \"2\"")
                                          << "\"overview[0].weight.first\" should be a whole number from 1 to 1000";
        QTest::newRow("four cells") << Edited(",\n                { \"marker\": \"nofollow\\\">\", \"occurrence\": 2 }",
                                              "")
                                    << "\"keywordTable[0].cells\" should have 5 items";
        QTest::newRow("an empty block text")
            << Edited("\"百度安全验证\"", "\"\"") << "\"blocks.search[0].texts[0]\" is empty";
        QTest::newRow("a bad status") << Edited("[403, 429]", "[403, 42]")
                                      << "\"blocks.stats[0].statuses[1]\" should be an HTTP status";
        QTest::newRow("not XPath") << Edited("//a[@id='cc1']/strong", "//a[")
                                   << "\"overview[1].keywords.xpath\" is not an XPath";
        QTest::newRow("a name twice") << Edited("nums-text-2015", "classic")
                                      << "\"searchCount[1].name\" is the name of an earlier layout";
        QTest::newRow("a figure neither cut nor selected")
            << Edited("\"first\": 2, \"remove\": \"，\"", "\"remove\": \"，\"")
            << "\"overview[0].weight\" should have xpath, before, after or first";
    }
    void userFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        QString why;
        QVERIFY(!PageRules::Parse(text, &why) == !problem.isEmpty());
        QTemporaryDir dir;
        QFile file(dir.filePath("page-rules.json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        QString message;
        const std::shared_ptr<const PageRules> rules = PageRules::Load(file.fileName(), &message);
        QCOMPARE(rules.get() == &PageRules::BuiltIn(), !problem.isEmpty());
        QVERIFY2(problem.isEmpty()
                     ? message.isEmpty()
                     : message.contains(problem) && message.contains(QDir::toNativeSeparators(file.fileName())) &&
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
                                      .replace("百度权重值为", "权重是")
                                      .replace("找到相关结果", "结果数")
                                      .replace("<td>网页标题</td>", "<th>标题</th>")
                                      .toUtf8();
        const std::optional<PageRules> rules = PageRules::Parse(edited, &problem);
        QVERIFY2(rules, qPrintable(problem));
        const QString overview = QString::fromUtf8(SitePages::Overview("5", "30")).replace("百度权重值为", "权重是");
        const Scraping::Overview read = Scraping::ScrapeOverview(overview, *rules);
        QVERIFY(read.weight == "5" && read.keywords == "30" && !Scraping::ScrapeOverview(overview).read());
        const QString count = "结果数约1,234个";
        QCOMPARE(SearchCounts::CountCell(count, *rules) + '|' + SearchCounts::CountCell(count), "1,234|0");
        const QString page =
            QString::fromUtf8(SitePages::NumberedPage(1, 3)).replace("<td>网页标题</td>", "<th>标题</th>");
        QCOMPARE(KeywordPages::TableRows(page, rules->keywordTable[0])->size(), 3);
        QVERIFY(!KeywordPages::TableRows(page));
    }

    // A user's file adds layouts before the built-in ones, replaces one of the same name where it stands, or takes
    // it out; a version 1 file is one layout per kind standing for the design's, the others staying.
    void userLayouts()
    {
        const PageRules merged = Loaded("{\"version\": 2,"
                                        "            \"overview\": [{\"name\": \"mine\", \"recognise\": [\"权重是\"], "
                                        "\"weight\": {\"before\": \"权重是\", \"first\": 1}},"
                                        "                         {\"name\": \"baidurank-2020\", \"disabled\": true}],"
                                        "            \"searchCount\": [{\"name\": \"nums-text-2015\", \"recognise\": "
                                        "[\"结果数\"], \"count\": {\"before\": \"结果数\"}}]}");
        QCOMPARE(Names(merged.overview).join(' ') + '|' + Names(merged.search).join(' '),
                 "mine classic|classic nums-text-2015");
        QCOMPARE(Scraping::ScrapeOverview("<p>权重是7，百度权重值为3，</p>", merged).weight.value_or("-"), "7");
        QCOMPARE(SearchCounts::ReadCount("结果数 42", merged).cell, " 42");

        const PageRules old = Loaded(kVersion1);
        QCOMPARE(Names(old.overview).join(' ') + '|' + Names(old.searchBlocks).join(' '),
                 "classic baidurank-2020|classic wappass-2021");
        QCOMPARE(Scraping::ScrapeOverview(
                     QString::fromUtf8(SitePages::Overview("4", "30")).replace("百度权重值为", "权重是"), old)
                     .keywords.value_or("-"),
                 "30");
        QCOMPARE(Scraping::ScrapeOverview(DataPage("baidurank-2020.html"), old).weight.value_or("-"), "5");
    }

    // The pages written after those the services sent: the design's layout keeps the result pages (UTF-8 now),
    // the ranking page of 2020 is read by its own, whitespace, CR LF, a rowspan cell and a raw "<" and all.
    void realLayouts()
    {
        QCOMPARE(SearchCounts::ReadCount(DataPage("baidu-serp-2020.html")).cell, "1,230");
        const SearchCounts::Count none = SearchCounts::ReadCount(DataPage("baidu-noresult-2020.html"));
        QCOMPARE(none.layout + ' ' + none.cell, "classic 0");
        QCOMPARE(SearchCounts::ReadCount(DataPage("baidu-serp-2020.html"), PageRules::BuiltIn().search[1]), "1,230");

        const HtmlPage ranking(DataPage("baidurank-2020.html"));
        const Scraping::Overview o = Scraping::ScrapeOverview(ranking);
        QStringList figures{o.layout};
        for (const std::optional<QString> &f : {o.weight, o.keywords, o.traffic, o.snapshot, o.indexed})
            figures << f.value_or("-");
        QCOMPARE(figures.join('|'), "baidurank-2020|5|26,837|7,730 ~ 17,083|-|1,330,000");
        const std::optional<KeywordPages::Table> table = KeywordPages::ReadTable(ranking);
        QVERIFY(table && table->layout == "baidurank-2020" && table->rows.size() == 25);
        QStringList rows;
        for (const int i : {0, 1, 24})
            rows << QStringList(table->rows[i].cells.begin(), table->rows[i].cells.end()).join('|');
        QCOMPARE(rows.join('/'),
                 "例子|第1页 第1位|1,021|0|例子_例子网 - 第1页/例子网|第1页 第2位|<10|0|例子网_例子网 - 第2页/"
                 "什么是例子25|第3页 第10位|<10|0|什么是例子25_例子网 - 第25页");
        // The parse is made once for every question put to the page.
        QVERIFY(ranking.parsed() && !HtmlPage(DataPage("baidu-serp-2020.html")).parsed());
    }

    // Pages made to hurt the parsed path: each is read to nothing or to what it says, never a crash or a hang.
    void hostilePages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("figures"); // the ranking layout's weight|keywords|indexed, "-" for none
        const QString infos = "<div class=\"baidurank-infos\"><img src=\"/images/br/7.png\">"
                              "<a id=\"cc1\"><strong>12</strong></a><li><em>预计来路：</em><strong>5 ~ 6</strong></li>"
                              "<strong id=\"baidu_shoulu_all\">3</strong></div>";
        QTest::newRow("as it should be") << infos << "7|12|3";
        QTest::newRow("nested 100,000 deep") << QString("<div>").repeated(100000) + infos << "-|-|-";
        QTest::newRow("never closed")
            << "<div class=\"baidurank-infos\"><img src=\"/images/br/7.png\"<a id=cc1><strong>12"
            << "7|-|-"; // as a browser: "<a" is an attribute of the img
        QTest::newRow("inside a comment and a script")
            << "<!-- " + infos + " --><script>'" + infos + "'</script>baidurank-infos"
            << "-|-|-";
        QTest::newRow("a megabyte attribute")
            << "<div class=\"baidurank-infos\" title=\"" + QString(1 << 20, 'x') + "\"><img src=\"/images/br/8.png\">"
            << "8|-|-";
        // A NUL reads as a browser reads it, not as the end of the page.
        QTest::newRow("NUL and lone surrogates")
            << QString(QChar(0)) + QChar(0xd800) + "<p>" + QChar(0) + "</p>" + infos << "7|12|3";
        QTest::newRow("bigger than a page is parsed") << infos + QString(HtmlPage::kMaxParsedChars, ' ') << "-|-|-";
        QTest::newRow("the id twice") << infos + "<strong id=\"baidu_shoulu_all\">9</strong>"
                                      << "7|12|3";
    }
    void hostilePages()
    {
        QFETCH(QString, page);
        QFETCH(QString, figures);
        const Scraping::Overview o = Scraping::ReadOverview(page, PageRules::BuiltIn().overview[1]);
        QCOMPARE(o.weight.value_or("-") + '|' + o.keywords.value_or("-") + '|' + o.indexed.value_or("-"), figures);
        QVERIFY(!KeywordPages::ReadTable(page, PageRules::BuiltIn().keywordTable[1]) ||
                KeywordPages::ReadTable(page, PageRules::BuiltIn().keywordTable[1])->rows.isEmpty());
    }

    // A user's XPath that would run for ever stops at the step limit and finds nothing; a bad one is refused.
    void costlyXPath()
    {
        const HtmlPage page(QString("<p>x</p>").repeated(3000));
        QVERIFY(page.Select("count(//p)").value_or("-") == "3000");
        QVERIFY(!page.Select("//p[count(//p[count(//p) > 1]) > 1]"));
        QString problem;
        QVERIFY(!HtmlPage::IsXPath("//p[", &problem) && !problem.isEmpty());
        QVERIFY(!page.Select("//p["));
    }

    void rankPosition_data()
    {
        QTest::addColumn<QString>("rank");
        QTest::addColumn<int>("position"); // -1: none
        const std::pair<const char *, int> rows[] = {
            {"第2页 第3位", 13}, {"第1页第1位", 1},          {" 第5页 第10位\r\n", 50}, {"7", 7},    {" 12 ", 12},
            {"第0页 第1位", -1}, {"第1页 第0位", -1},        {"第１页 第１位", -1},     {"50+", -1}, {"...", -1},
            {"失败", -1},        {"第999999999页 第9位", -1}};
        for (const auto &[rank, position] : rows)
            QTest::newRow(QString(rank).simplified().toUtf8()) << QString(rank) << position;
    }
    void rankPosition()
    {
        QFETCH(QString, rank);
        QFETCH(int, position);
        QCOMPARE(KeywordPages::RankPosition(rank).value_or(-1), position);
    }

    // What rules check says of a kept page: the charset, each layout, the figures, the rows, the verdict.
    void rulesCheck()
    {
        using RulesCheck::Kind;
        const QByteArray ranking = DataPage("baidurank-2020.html").toUtf8();
        const RulesCheck::Report read =
            RulesCheck::Check(ranking, RulesCheck::KindsForFile("1-aizhan-a.cn.html"), PageRules::BuiltIn());
        for (const char *line : {"charset: UTF-8 (<meta> in the first 1024 bytes)\n", "as an overview page:\n",
                                 "  layout classic: not this page, none of its markers is there: “百度权重值为”\n",
                                 "  layout baidurank-2020: applies, reads the page\n", "    traffic: 7,730 ~ 17,083\n",
                                 "    snapshot: none on pages of this layout", "    25 rows\n",
                                 "    2. 例子网 | 第1页 第2位 | <10 | 0 | 例子网_例子网 - 第2页\n", "  block: no\n"})
            QVERIFY2(read.read && read.text.contains(QString::fromUtf8(line)), qPrintable(read.text));
        const RulesCheck::Report gbk =
            RulesCheck::Check(Charset::EncodeAnsi("<p>找到相关结果约9个"), {Kind::Search}, PageRules::BuiltIn());
        QVERIFY2(gbk.read && gbk.text.contains("GBK (nothing declared: the default)") && gbk.text.contains("count: 9"),
                 qPrintable(gbk.text));
        const RulesCheck::Report captcha =
            RulesCheck::Check(DataPage("baidu-captcha-2021.html").toUtf8(),
                              RulesCheck::KindsForFile("x-baidu-a.cn.html"), PageRules::BuiltIn());
        QVERIFY2(!captcha.read && captcha.text.contains("block: yes, “百度安全验证” on a page no layout reads") &&
                     captcha.text.endsWith("verdict: BLOCKED\n"),
                 qPrintable(captcha.text));
        const RulesCheck::Report empty = RulesCheck::Check({}, {Kind::Keywords}, PageRules::BuiltIn());
        QVERIFY2(!empty.read && empty.text.contains("verdict: nothing to read"), qPrintable(empty.text));
    }

    void verdicts_data()
    {
        QTest::addColumn<int>("query"); // 0 overview, 1 search, 2 keyword page
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("status");
        QTest::addColumn<PageCheck::Verdict>("verdict");
        QTest::addColumn<QString>("from"); // where the answer came from
        using V = PageCheck::Verdict;
        const QString overview = QString::fromUtf8(SitePages::Overview("2", "9"));
        QTest::newRow("overview") << 0 << overview << 200 << V::Read << QString();
        QTest::newRow("overview, no weight line") << 0 << "<p>新版</p>" << 200 << V::Unrecognised << QString();
        QTest::newRow("overview, 404 page") << 0 << "<p>404</p>" << 404 << V::Read << QString();
        QTest::newRow("overview, nothing came") << 0 << "失败" << 0 << V::Failed << QString();
        QTest::newRow("overview, 429 without a body") << 0 << "失败" << 429 << V::Blocked << QString();
        QTest::newRow("overview, 403 page") << 0 << overview << 403 << V::Blocked << QString();
        QTest::newRow("overview, verification") << 0 << "请输入验证码" << 200 << V::Blocked << QString();
        QTest::newRow("search") << 1 << "找到相关结果约3个" << 200 << V::Read << QString();
        QTest::newRow("search, nothing found")
            << 1 << "抱歉没有找到与“site:a.com”相关的网页" << 200 << V::Read << QString();
        QTest::newRow("search, changed") << 1 << "<p>结果</p>" << 200 << V::Unrecognised << QString();
        QTest::newRow("search, security check") << 1 << "百度安全验证" << 200 << V::Blocked << QString();
        QTest::newRow("search, 429") << 1 << "slow down" << 429 << V::Blocked << QString();
        QTest::newRow("keyword page") << 2 << QString::fromUtf8(SitePages::NumberedPage(1, 2)) << 200 << V::Read
                                      << QString();
        QTest::newRow("keyword page, no table") << 2 << "<p>新版</p>" << 200 << V::Unrecognised << QString();
        // A block text counts in the title, or on a page no layout reads; not in a page read as usual.
        const QString ranking = DataPage("baidurank-2020.html");
        QTest::newRow("ranking page with its login form") << 0 << ranking << 200 << V::Read << QString();
        QTest::newRow("its keyword table") << 2 << ranking << 200 << V::Read << QString();
        QTest::newRow("verification in the title")
            << 0 << "<title>访问验证</title>百度权重值为3" << 200 << V::Blocked << QString();
        QTest::newRow("search, a result quoting it")
            << 1 << "<title>x</title>找到相关结果约5个，百度安全验证" << 200 << V::Read << QString();
        QTest::newRow("search, the security check page")
            << 1 << DataPage("baidu-captcha-2021.html") << 200 << V::Blocked << QString();
        QTest::newRow("search, the check's script only")
            << 1 << "<script src=\"https://wappass.baidu.com/static/" << 200 << V::Blocked << QString();
        QTest::newRow("search, redirected to the check")
            << 1 << "失败" << 0 << V::Blocked << "https://WAPPASS.baidu.com/static/captcha/tuxing.html";
        QTest::newRow("search, no result page")
            << 1 << DataPage("baidu-noresult-2020.html") << 200 << V::Read << QString();
    }
    void verdicts()
    {
        QFETCH(int, query);
        QFETCH(QString, text);
        QFETCH(int, status);
        QFETCH(PageCheck::Verdict, verdict);
        QFETCH(QString, from);
        const PageRules &rules = PageRules::BuiltIn();
        const QUrl url(from);
        const PageCheck::Verdict got = query == 0   ? PageCheck::Overview(text, status, rules, url)
                                       : query == 1 ? PageCheck::SearchResult(text, status, rules, url)
                                                    : PageCheck::KeywordPage(text, status, rules, url);
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
