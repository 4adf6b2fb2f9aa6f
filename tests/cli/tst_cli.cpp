// The command line as the real executable: the tables it writes, its exit
// codes, Ctrl+C, a block resumed from the ledger, and a retry.

#include "Charset.h"
#include "CliFixture.h"
#include "Ledger.h"
#include "NetworkSettings.h"
#include "support/SitePages.h"
#include "support/TestProxy.h"

#ifdef Q_OS_WIN
#include <QScopeGuard>
#include <windows.h>
#else
#include <csignal>
#endif

class TestCli final : public CliFixture
{
    Q_OBJECT

#ifdef Q_OS_WIN
    bool console = false;
#endif
    // Ctrl+C as typed in the terminal the child was started from.
    void interrupt()
    {
#ifdef Q_OS_WIN
        // To every process on the test's console: the child attached to it, the test lets it pass.
        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
#else
        ::kill(pid_t(child->processId()), SIGINT);
#endif
    }

private Q_SLOTS:
#ifdef Q_OS_WIN
    void initTestCase()
    {
        // Wine gives a console only to a program started from a terminal.
        console = GetConsoleWindow() || AllocConsole();
        SetConsoleCtrlHandler([](DWORD) -> BOOL { return TRUE; }, TRUE);
    }
#endif
    void init()
    {
        setUpCase();
    }

    // The txt table is the window's save, byte for byte; --out replaces it, --append appends as the window does.
    // Progress into a pipe is plain lines. Another copy owns the ledger: a run goes on without it, a resume cannot.
    // Other formats only need to reach the file: the sheets library has its own tests.
    void tablesWritten()
    {
        list(good(12));
        auto owner = Ledger::Open(path("ledger.sqlite"));
        QCOMPARE(run({"batch", path("list.txt"), "-q", "--resume"}), 2);
        QCOMPARE(run({"batch", path("list.txt"), "--out", path("out.txt")}), 0);
        QCOMPARE(read("out.txt"), txt(want));
        QVERIFY2(!err.contains('\r') && !err.contains('\x1b') && err.contains("\n12/12 rows, 0 failed cells, "), err);
        QVERIFY2(err.contains("another Morvane is using the ledger; this run keeps no records"), err);
        owner.reset();
        // Quiet: no progress; pages the rules could not read are still said, as the window says them.
        QCOMPARE(run({"batch", path("list.txt"), "--out", path("out.txt"), "--append", "--quiet"}), 0);
        QCOMPARE(read("out.txt"), txt(want) + txt(want));
        QVERIFY2(
            err.startsWith("morvane: 3 pages could not be read: their layout may have changed; they are kept in ") &&
                err.count('\n') == 1,
            err);
        QCOMPARE(run({"batch", "-", "--out", path("out.xlsx")}, read("list.txt")), 0);
        QVERIFY(read("out.xlsx").startsWith("PK\x03\x04"));
        QCOMPARE(run({"batch", path("list.txt"), "-q", "--no-ledger", "--out", MORVANE_DEV_FULL}), 2);
        QVERIFY2(err.contains("morvane: cannot write " MORVANE_DEV_FULL ": "), err);
        QCOMPARE(run({"batch", path("list.txt"), "-q", "--no-ledger", "--out", "-"}, {}, MORVANE_DEV_FULL), 2);
        QVERIFY2(err.contains("morvane: cannot write -: "), err);
        SitePages::Serve(*server, "k.com", "30", 1);
        QCOMPARE(run({"site", "k.com", "--out", path("k.csv")}), 0);
        QVERIFY(read("k.csv").startsWith("\xEF\xBB\xBF序号,关键字,百度排名") && read("k.csv").count('\n') == 31);
        QCOMPARE(run({"site", "k.com", "--keywords-only", "--out", path("k.txt")}), 0);
        QVERIFY(read("k.txt").startsWith("kw1\r\nkw2\r\n") && read("k.txt").endsWith("\r\nkw30\r\n"));

        // Pasted addresses ask about their hosts; the table keeps each line as typed.
        QCOMPARE(run({"site", " HTTP://K．com:80/index.html", "--keywords-only", "--out", path("k2.txt")}), 0);
        QCOMPARE(read("k2.txt"), read("k.txt"));
        const QStringList typed{"http://d10.com/", " D12.COM\t", "d15．com:8080/x", "d10.com"};
        QList<Batch::Row> rows{want[0], want[1], want[2], want[0]};
        for (int i = 0; i < 4; ++i)
            rows[i].setDomain(typed[i]);
        QFile pasted(path("pasted.txt"));
        QVERIFY(pasted.open(QIODevice::WriteOnly) && pasted.write(typed.join("\n").toUtf8()) > 0);
        pasted.close();
        QCOMPARE(run({"batch", path("pasted.txt"), "-q", "--out", path("pasted.out")}), 0);
        QCOMPARE(read("pasted.out"), txt(rows));
        QVERIFY2(err.startsWith("morvane: duplicate hosts in the list: 1 rows (each is checked)\n"), err);
    }

    void badInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("says");
        QTest::newRow("no list") << QStringList{"batch"} << "C.UTF-8"
                                 << "batch takes one list file";
        QTest::newRow("missing list") << QStringList{"batch", "missing.txt"} << "C.UTF-8"
                                      << "cannot read the list";
        QTest::newRow("unknown format") << QStringList{"batch", "LIST", "--format", "pdf"} << "C.UTF-8"
                                        << "pdf";
        QTest::newRow("rest too long") << QStringList{"batch", "LIST", "--rest-seconds", "66"} << "C.UTF-8"
                                       << "0 to 65";
        QTest::newRow("rows per rest below 0") << QStringList{"batch", "LIST", "--rest-every", "-5"} << "C.UTF-8"
                                               << "--rest-every takes 0 to 32767 rows";
        QTest::newRow("no folder for the table")
            << QStringList{"batch", "LIST", "--out", "/nonexistent/t.txt"} << "C.UTF-8"
            << "no folder";
        QTest::newRow("resume without a ledger")
            << QStringList{"batch", "LIST", "--resume", "--ledger", "none"} << "C.UTF-8"
            << "--resume needs the ledger";
        QTest::newRow("no run to retry") << QStringList{"batch", "LIST", "--retry-failed"} << "C.UTF-8"
                                         << "no run";
        // Unknown words never open the window (there is no display here: it would abort).
        QTest::newRow("an option of another command")
            << QStringList{"site", "a.com", "--resume"} << "C.UTF-8"
            << "--resume is not an option of site; site takes --out, --format, --append, --keywords-only,";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << "C.UTF-8"
                                         << "unknown command \"frobnicate\"; the commands are batch, site, merge";
        QTest::newRow("an option without a command") << QStringList{"--out", "x.txt"} << "C.UTF-8"
                                                     << "--out goes after a command: batch, site, merge";
        QTest::newRow("unknown option alone") << QStringList{"--frobnicate"} << "C.UTF-8"
                                              << "unknown option --frobnicate; the commands are batch,";
        QTest::newRow("unknown option of a command") << QStringList{"batch", "LIST", "--frob"} << "C.UTF-8"
                                                     << "unknown option --frob; batch takes --out, --format,";
        QTest::newRow("unknown short option") << QStringList{"site", "a.com", "-x"} << "C.UTF-8"
                                              << "unknown option -x; site takes --out";
        QTest::newRow("a word too many") << QStringList{"site", "a.com", "b.com"} << "C.UTF-8"
                                         << "site takes one domain";
        QTest::newRow("help and a word") << QStringList{"help", "batch"} << "C.UTF-8"
                                         << "help takes nothing more";
        QTest::newRow("export, two runs named") << QStringList{"export", "--last", "--id", "3"} << "C.UTF-8"
                                                << "export takes one of --run NAME, --last and --id N";
        QTest::newRow("export, no run's number") << QStringList{"export", "--id", "x"} << "C.UTF-8"
                                                 << "--id takes a run's number";
        QTest::newRow("network wait not a number")
            << QStringList{"batch", "LIST", "--network-wait", "soon"} << "C.UTF-8"
            << "--network-wait takes 0 to 86400 seconds";
        QTest::newRow("runs, a word too many") << QStringList{"runs", "LIST"} << "C.UTF-8"
                                               << "runs takes no arguments";
        QTest::newRow("a proxy of no known kind")
            << QStringList{"batch", "LIST", "--proxy", "ftp://u:pw@h:21"} << "C.UTF-8"
            << "--proxy takes http://[user[:password]@]host:port or";
        QTest::newRow("a proxy and none")
            << QStringList{"site", "a.com", "--proxy", "http://h:1", "--no-proxy"} << "C.UTF-8"
            << "--proxy and --no-proxy do not go together";
        QTest::newRow("no cookie file") << QStringList{"batch", "LIST", "--cookie-file", "missing.txt"} << "C.UTF-8"
                                        << "cannot read the cookie file missing.txt";
        // In Chinese under a Chinese locale, whole.
        QTest::newRow("unknown command, zh_CN") << QStringList{"frobnicate"} << "zh_CN.UTF-8"
                                                << "未知命令“frobnicate”；可用的命令有 batch, site, merge";
        QTest::newRow("a folder for a list, zh_CN") << QStringList{"batch", "/"} << "zh_CN.UTF-8"
                                                    << "无法读取列表 /：这是一个文件夹";
        QTest::newRow("no list, zh_TW by LANGUAGE") << QStringList{"batch"} << "en_US.UTF-8:zh_TW"
                                                    << "batch 需要一个列表文件";
    }
    // Refused before anything is fetched, with one line saying why.
    void badInput()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, locale);
        QFETCH(QString, says);
        list(good(2));
        locales = locale.split(':');
        QCOMPARE(run(args.replaceInStrings("LIST", path("list.txt"))), 2);
        QVERIFY2(err.startsWith("morvane: ") && err.count('\n') == 1 && QString::fromUtf8(err).contains(says), err);
        QCOMPARE(server->requestCount(), 0);
    }

    // The help says what each exit code means, in the user's language.
    void help()
    {
        QCOMPARE(run({"--help"}), 0);
        const QString english = QString::fromLocal8Bit(out());
        QVERIFY2(english.contains("; 3 the run\nstopped itself") && english.contains("--rest-every <rows>"),
                 qPrintable(english));
        locales = QStringList{"zh_CN.UTF-8"};
        QCOMPARE(run({"help"}), 0);
        const QString chinese = QString::fromLocal8Bit(out()); // the console's code page on Windows
        QVERIFY2(chinese.contains("；3 查询自行停止") && chinese.contains("--rest-every <条数>") &&
                     !chinese.contains("Displays"),
                 qPrintable(chinese));
    }

    // SIGTERM (logout, shutdown) ends the window as a close would: a normal exit, the settings kept.
    void windowEndsOnSigterm()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows has no SIGTERM; a logoff closes the window as the user would");
#else
        QProcess window;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir->path());
        env.insert("XDG_CONFIG_HOME", path("config"));
        env.insert("XDG_DATA_HOME", path("data"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        window.setProcessEnvironment(env);
        window.start(MORVANE_EXECUTABLE, QStringList());
        // Up once it has opened its ledger.
        QVERIFY(WaitUntil([&] { return QFile::exists(path("data/Morvane/Morvane/ledger.sqlite")); }, 20000));
        ::kill(pid_t(window.processId()), SIGTERM);
        QCOMPARE(finish(window), 0);
        QVERIFY(QFile::exists(path("config/Morvane/Morvane.conf")));
#endif
    }

    // Ctrl+C stops the chains; the table and the ledger hold the same
    // figures, those that had landed. A second Ctrl+C does not wait.
    void interrupted()
    {
#ifdef Q_OS_WIN
        if (!console)
            QSKIP("no console to send Ctrl+C through: start the suite from a terminal (scripts/windows.sh does)");
#endif
        list(good(30), 30); // slow, so the signal comes mid-run
        start({"batch", path("list.txt"), "--out", path("out.txt")});
        QVERIFY(WaitUntil([&] { return server->requestCount() >= 15; }, 10000));
        interrupt();
        QCOMPARE(finish(), 130);
        const StoredRun run = Ledger::Open(path("ledger.sqlite"))->LastUnfinishedRun().value_or(StoredRun());
        QCOMPARE(read("out.txt"), txt(run.rows));
        int complete = 0;
        for (int i = 0; i < run.rows.size(); ++i) {
            complete += run.rows[i].complete();
            QVERIFY(!run.rows[i].complete() ||
                    BatchExport::Line(run.rows[i], true) == BatchExport::Line(want[i], true));
        }
        QVERIFY2(run.rows.size() == 30 && complete > 0 && complete < 30, qPrintable(QString::number(complete)));

        for (const int id : good(30))
            route(id, -1);
        const int before = server->requestCount();
        start({"batch", path("list.txt"), "--no-ledger", "-q"});
        QVERIFY(WaitUntil([&] { return server->requestCount() == before + 3; }));
        interrupt();
        QByteArray said;
        QVERIFY(
            WaitUntil([&] { return (said += child->readAllStandardError()).contains("Ctrl+C again ends at once"); }));
        QVERIFY2(said.contains("the figures so far are written (Ctrl+C") && !said.contains("stored"),
                 said); // no ledger
        interrupt();
        QCOMPARE(finish(3000), 130); // not after the 5 s the answers on their way could take
    }

    // A block stops the run with what it has, and says how to go on.
    void blockStopsTheRun()
    {
        list(QList<int>{14} + good(6)); // 14: its domain: page is the security check
        QCOMPARE(run({"batch", path("list.txt"), "--out", path("out.txt")}), 3);
        QVERIFY2(err.contains(" blocked the requests at ") && err.contains(": the run stops here") &&
                     err.contains("--resume goes on"),
                 err);
        QCOMPARE(run({"batch", path("list.txt"), "--resume", "--out", path("out.txt")}), 1); // its cell failed
        QCOMPARE(read("out.txt"), txt(want));
    }

    // --proxy carries every request and --no-proxy none; the window's settings are the default. A cookie file's
    // cookies for the services are sent and kept; morvane cookies counts them without saying them, --clear forgets
    // them. A proxy that refuses stops the run, named without its password.
    void network()
    {
        list(good(3));
        TestProxy proxy(TestProxy::Kind::Http);
        QVERIFY(proxy.start());
        const QString table = path("list.txt");
        QCOMPARE(run({"batch", table, "--proxy", proxy.url(), "--user-agent", "Probe/3"}), 0);
        QCOMPARE(proxy.asked.size(), 9);
        QVERIFY(server->requests().last().head.contains("\r\nUser-Agent: Probe/3\r\n"));
        QCOMPARE(run({"batch", table, "--no-proxy"}), 0);
#ifdef Q_OS_WIN
        // In the user's registry on Windows: the test's settings go there for this run, and the user's come back.
        QSettings window(QSettings::NativeFormat, QSettings::UserScope, "Morvane", "Morvane");
        QVariantMap kept;
        for (const QString &key : window.allKeys())
            kept.insert(key, window.value(key));
        const auto restore = qScopeGuard([&] {
            window.clear();
            for (auto it = kept.cbegin(); it != kept.cend(); ++it)
                window.setValue(it.key(), it.value());
        });
#else
        QSettings window(path(".config/Morvane/Morvane.conf"), QSettings::IniFormat);
#endif
        Network::Settings settings;
        settings.proxy = {Network::Proxy::Mode::Http, "127.0.0.1", proxy.port(), {}, {}};
        QCOMPARE(settings.Save(window), "");
        QCOMPARE(run({"batch", table}), 0);
        QCOMPARE(proxy.asked.size(), 18);

        QFile cookies(path("cookies-export.txt"));
        QVERIFY(cookies.open(QIODevice::WriteOnly) &&
                cookies.write("127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tSECRET-1\n.other.com\tTRUE\t/\tFALSE\t0\tx\ty\n"));
        cookies.close();
        const auto cookieOf = [&](int from) {
            QByteArrayList sent;
            for (const TestServer::Request &r : server->requests().mid(from))
                sent << (r.head.contains("\r\nCookie: sid=SECRET-1\r\n") ? "sid" : "?");
            return sent;
        };
        int before = server->requestCount();
        QCOMPARE(run({"batch", table, "--no-proxy", "--cookie-file", cookies.fileName()}), 0);
        QCOMPARE(cookieOf(before), QByteArrayList(9, "sid"));
        QCOMPARE(run({"cookies"}), 0);
        QCOMPARE(out(), "127.0.0.1\t1\n");
        QVERIFY(!err.contains("SECRET") && !read("cookies.txt").contains("other"));
        before = server->requestCount();
        run({"site", "d10.com", "--no-proxy"}); // kept: sent again
        QCOMPARE(cookieOf(before), QByteArrayList{"sid"});
        QCOMPARE(run({"cookies", "--clear"}), 0);
        QVERIFY(err.contains("1 kept cookies forgotten") && !QFile::exists(path("cookies.txt")));

        const QString closed = TestServer::closedUrl().replace("http://", "http://u:hush@");
        QCOMPARE(run({"batch", table, "--proxy", closed}), 3);
        QVERIFY2(err.contains("the proxy " + QString(closed).remove(":hush").chopped(1).toUtf8() + " refused") &&
                     !err.contains("hush"),
                 err);
    }

    // The network lost mid-run: the run waits for it and goes on once a probe
    // is answered; past --network-wait it stops with 3, and --resume ends it.
    void networkLoss()
    {
        list(good(8), 40); // slow, so the server goes mid-run
        start({"batch", path("list.txt"), "--out", path("out.txt")});
        QByteArray said;
        const auto saying = [&](const char *words) {
            return WaitUntil([&] { return (said = Lf(said + child->readAllStandardError())).contains(words); }, 10000);
        };
        QVERIFY(WaitUntil([&] { return server->requestCount() >= 6; }, 10000));
        server->stop();
        QVERIFY2(saying("the network is lost (connections "), said);
        QVERIFY(said.contains(": waiting up to 300 s for it, asking the services every 5 s\n"));
        QVERIFY(server->start());
        QCOMPARE(finish(), 0);
        QVERIFY2((said + err).contains("the network is back: the run goes on"), said + err);
        QCOMPARE(read("out.txt"), txt(want));

        const int before = server->requestCount();
        start({"batch", path("list.txt"), "--out", path("out.txt"), "--network-wait", "1"});
        QVERIFY(WaitUntil([&] { return server->requestCount() >= before + 6; }, 10000));
        server->stop();
        QCOMPARE(finish(), 3);
        QVERIFY2(err.contains("the network stayed away for 1 s (connections ") && err.contains("--resume goes on"),
                 err);
        QVERIFY(read("out.txt").contains("|...|"));
        // No ledger: nothing is said to be stored.
        QCOMPARE(run({"batch", path("list.txt"), "--no-ledger", "--network-wait", "0"}), 3);
        QVERIFY2(err.contains(": the run stops here; the figures so far are written, but with no ledger --resume ") &&
                     !err.contains("stored"),
                 err);
        QVERIFY(server->start());
        QCOMPARE(run({"batch", path("list.txt"), "--resume", "--out", path("out.txt")}), 0);
        QCOMPARE(read("out.txt"), txt(want));
    }

    // Pages written after what the services sent, served as they were (UTF-8, said in the header): the figures
    // they give in a batch, the ranking page's keywords through site, and a security check that stops the run.
    void pagesOfToday()
    {
        const auto served = [](const char *name) {
            QFile file(QStringLiteral(MORVANE_TEST_DATA "/") + name);
            TestServer::Reply reply = TestServer::page(file.open(QIODevice::ReadOnly) ? file.readAll() : "");
            reply.headers = "Content-Type: text/html;charset=utf-8\r\n";
            return reply;
        };
        for (const char *domain : {"a.cn", "b.cn"}) {
            server->route(QStringLiteral("/baidu/%1/").arg(domain), served("baidurank-2020.html"));
            server->route(QStringLiteral("/s?wd=site:%1").arg(domain), served("baidu-serp-2020.html"));
            server->route(QStringLiteral("/s?wd=domain:%1").arg(domain), served("baidu-noresult-2020.html"));
        }
        QFile list(path("list.txt"));
        QVERIFY(list.open(QIODevice::WriteOnly) && list.write("a.cn\nb.cn\n") > 0);
        list.close();
        QCOMPARE(run({"batch", path("list.txt"), "--out", path("out.txt")}), 0);
        const QByteArray row = "|5|26,837|7,730 ~ 17,083|1,230|0|0\r\n";
        QCOMPARE(read("out.txt"), "a.cn" + row + "b.cn" + row);
        server->route("/s?wd=domain:b.cn", served("baidu-captcha-2021.html"));
        QCOMPARE(run({"batch", path("list.txt"), "--out", path("out.txt")}), 3);
        QVERIFY2(err.contains("Baidu blocked the requests at "), err);

        // site: page 0 is read, page 1 fails; only the rows read are written, and every line names the domain.
        server->route("/baidu/a.cn", served("baidurank-2020.html"));
        server->route("/baidu/a.cn/0/", served("baidurank-2020.html"));
        QCOMPARE(run({"site", "a.cn", "--out", path("k.txt"), "--ledger", "none"}), 1);
        QVERIFY2(err.contains("keyword page 2 of a.cn could not be fetched") &&
                     err.contains("; 25 keyword rows written"),
                 err);
        const QString keywords = Charset::Decode(read("k.txt"), "gbk").value_or(QString()); // the window's save
        const QStringList lines = keywords.split("\r\n");
        QVERIFY2(lines.size() == 26 && lines[1] == "例子网|第1页 第2位|<10|0|例子网_例子网 - 第2页" &&
                     !keywords.contains("..."),
                 qPrintable(keywords));
        server->route("/baidu/a.cn/0/", TestServer::page("<html>新版</html>"));
        quiet = false;
        start({"site", "a.cn", "--no-ledger"});
        QCOMPARE(finish(), 3);
        QVERIFY2(err.startsWith("a.cn: weight 0, 0 keywords") &&
                     err.contains("keyword page 1 of a.cn could not be read"),
                 err);

        // rules check on a saved page: 0 read, 3 not, 2 a bad kind.
        QFile page(path("20240101-aizhan-a.cn.html"));
        QVERIFY(page.open(QIODevice::WriteOnly) && page.write(served("baidurank-2020.html").body) > 0);
        page.close();
        start({"rules", "check", page.fileName()});
        QCOMPARE(finish(), 0);
        QVERIFY(out().contains("layout baidurank-2020: applies, reads the page"));
        QCOMPARE(run({"rules", "check", page.fileName(), "--kind", "search"}), 3);
        QCOMPARE(run({"rules", "check", page.fileName(), "--kind", "pages"}), 2);
    }

    // --compare: a scan against the domain's last one in the ledger, as a report (what moved, came and went) and as
    // a table with 上次排名 and 变化; a scan of another layout's rank texts compares by place.
    void compare()
    {
        const auto serve = [&](const QString &weight, const QStringList &ranks) {
            SitePages::ServeRanks(*server, weight, ranks);
        };
        const auto report = [&](const char *name) {
            return Charset::Decode(read(name), "gbk").value_or(QString()).split("\r\n");
        };
        serve("3", {"a=1", "b=5", "c=第2页 第3位", "d=2"});
        QCOMPARE(run({"site", "m.cn", "--compare", "--out", path("first.txt")}), 0);
        QCOMPARE(report("first.txt"), (QStringList{"m.cn: no earlier scan in the ledger; every keyword is new", "",
                                                   "新|a|1|", "新|b|5|", "新|c|第2页 第3位|", "新|d|2|", ""}));
        serve("4", {"a=3", "b=2", "c=13", "e=1"});
        QCOMPARE(run({"site", "m.cn", "--compare", "--quiet", "--out", path("second.txt")}), 0);
        QStringList lines = report("second.txt");
        QVERIFY2(lines[0].startsWith("m.cn: the scan of ") && lines[0].contains(" against that of "),
                 qPrintable(lines[0]));
        QCOMPARE(lines.mid(1), (QStringList{"risen 1, fallen 1, new 1, lost 1; keyword count 4 (±0); weight 4 (was 3)",
                                            "", "↓2|a|3|1", "↑3|b|2|5", "新|e|1|", "失去|d||2", ""}));
        QCOMPARE(err, QByteArray()); // --quiet: nothing on standard error
        // The same scan again: nothing moved; as a table, every keyword with its last rank, the lost after them.
        serve("4", {"a=3", "b=2", "c=第2页 第3位", "e=1"});
        QCOMPARE(run({"site", "m.cn", "--compare", "--out", path("third.csv")}), 0);
        const QStringList csv = QString::fromUtf8(read("third.csv")).remove(QChar(0xfeff)).split("\r\n");
        QVERIFY2(csv[0].endsWith(",网页标题,查询时间,上次排名,变化"), qPrintable(csv[0]));
        QVERIFY2(csv[1].startsWith("1,a,3,10,0,t,") && csv[1].endsWith(",3,持平") && csv[3].endsWith(",13,持平"),
                 qPrintable(csv.join('\n')));
        QCOMPARE(csv.size(), 6); // four keywords, none lost, and the last line's end
        QCOMPARE(run({"site", "m.cn", "--compare", "--no-ledger"}), 2);
        QVERIFY(err.contains("--compare needs the ledger"));
        QCOMPARE(run({"site", "m.cn", "--compare", "--keywords-only"}), 2);
    }

    // Failed cells end the run with 1; the retry asks for those alone.
    void retryFailed()
    {
        list(good(4) << 14 << 17); // 14: its backlink count fails; 17: its overview (four figures)
        QCOMPARE(run({"batch", path("list.txt"), "--out", path("out.txt"), "--keep-going-on-block"}), 1);
        QVERIFY2(err.contains("6/6 rows, 5 failed cells"), err);
        QCOMPARE(read("out.txt"), txt(want));

        // Now answered as for d20.com.
        const Batch::Row fixed = route(20);
        QStringList overview;
        QString count;
        server->route("/baidu/d17.com/", Overview(20, &overview));
        server->route("/s?wd=domain:d14.com", Count(20, 0, &count));
        for (const int f : {Batch::Weight, Batch::Keywords, Batch::Traffic, Batch::Snapshot})
            want[5].setFigure(f, fixed.figure(f));
        want[4].setFigure(Batch::Backlinks, fixed.figure(Batch::Backlinks));
        const int before = server->requestCount();
        QCOMPARE(run({"batch", path("list.txt"), "--retry-failed", "--out", path("out.txt")}), 0);
        QCOMPARE(askedSince(before), (QStringList{"/baidu/d17.com/", "/s?wd=domain:d14.com"}));
        QCOMPARE(read("out.txt"), txt(want));

        // The runs kept, and a run without a name written again by its number or as the newest.
        QCOMPARE(run({"runs"}), 0);
        const QStringList runs = QString::fromLocal8Bit(out()).split('\n');
        QCOMPARE(runs.size(), 3); // the header, the one run (the retry went into it), the last line's end
        QVERIFY2(runs[1].startsWith("     1  ") &&
                     runs[1].endsWith("      6       0      0  " + QDir::toNativeSeparators(path("list.txt"))),
                 qPrintable(runs[1]));
        QCOMPARE(run({"export", "--last", "--out", path("last.txt")}), 0);
        QCOMPARE(run({"export", "--id", "1", "--out", path("one.txt")}), 0);
        QVERIFY(read("last.txt") == txt(want) && read("one.txt") == txt(want));
        QCOMPARE(run({"export", "--id", "2"}), 2);
        QCOMPARE(err, "morvane: the ledger holds no run 2\n");
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
