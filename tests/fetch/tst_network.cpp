// How requests reach the services: a browser's headers, redirects followed to https, proxies (HTTP, SOCKS5, the
// system's) and proxies that fail, cookies kept across restarts, pasted and imported, and the settings holding them.

#include "CookieStore.h"
#include "HTTPPage2.h"
#include "NetworkSettings.h"
#include "support/OwnerOnly.h"
#include "support/TestProxy.h"
#include "support/TestServer.h"

#include <QNetworkAccessManager>
#include <QSettings>
#include <QtTest>

using Mode = Network::Proxy::Mode;

class TestNetwork : public QObject
{
    Q_OBJECT

    TestServer server, tls{true};
    QTemporaryDir dir;
    std::unique_ptr<HTTPPage2> page; // the last fetch's fetcher, for its other answers

    // One fetch through the manager: the text it told.
    QString fetch(QNetworkAccessManager &nam, const QString &url)
    {
        page = std::make_unique<HTTPPage2>(&nam);
        QSignalSpy told(page.get(), &HTTPPage2::HttpEvent);
        page->SubIniData(url, "utf-8", "10");
        return told.wait(15000) ? told[0][0].toString() : "no answer";
    }
    // The header lines of the server's last request, sorted, without the request line.
    QStringList lastHeaders() const
    {
        QStringList lines = QString::fromUtf8(server.requests().last().head).split("\r\n").mid(1);
        lines.sort();
        return lines;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server.start() && tls.start());
        TestServer::TrustTestCertificate();
        server.handler = [](const TestServer::Request &r) { return TestServer::page("page " + r.target); };
        tls.handler = [](const TestServer::Request &r) { return TestServer::page("secure " + r.target); };
    }
    void cleanup()
    {
        for (const char *name : {"http_proxy", "https_proxy", "no_proxy"})
            qunsetenv(name);
    }

    // What a browser sends, and nothing of Qt's own: a desktop browser's identity, its Accept, Chinese first.
    void headersAreABrowsers()
    {
        QNetworkAccessManager nam;
        QCOMPARE(fetch(nam, server.url("/h")), "page /h");
        QStringList browser = {"Accept: " + Network::kAccept,     "Accept-Encoding: gzip, deflate",
                               "Accept-Language: zh-CN,zh;q=0.9", "Connection: Keep-Alive",
                               "Host: " + server.hostPort(),      "User-Agent: " + Network::kDefaultUserAgent};
        browser.sort();
        QCOMPARE(lastHeaders(), browser);
    }

    // Followed while on the host asked, to https too, within the time limit; off the host, back to http, or past
    // ten hops, a failure that says where it led: a page read there would give figures of 0.
    void redirects_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("told"); // the page, or the failure's note
        QTest::addColumn<QString>("redirectedTo");
        QTest::newRow("to https") << "/to-https"
                                  << "secure /page"
                                  << "";
        QTest::newRow("another host") << "/away"
                                      << "redirected to http://localhost"
                                      << "http://localhost/page";
        QTest::newRow("back to http") << "https:/down"
                                      << "redirected to http://" + server.hostPort() << server.url("/page");
        QTest::newRow("a loop") << "/loop"
                                << "too many redirects" << server.url("/loop");
    }
    void redirects()
    {
        QFETCH(QString, start);
        QFETCH(QString, told);
        QFETCH(QString, redirectedTo);
        if ((start == "/to-https" || start.startsWith("https:")) && !TestServer::TlsServes())
            QSKIP(TestServer::kNoTlsServer);
        server.route("/to-https", TestServer::redirect(tls.url("/page")));
        server.route("/away", TestServer::redirect("http://localhost/page"));
        server.route("/loop", TestServer::redirect("/loop"));
        tls.route("/down", TestServer::redirect(server.url("/page")));
        server.forgetRequests();
        QNetworkAccessManager nam;
        const QString text = fetch(nam, start.startsWith("https:") ? tls.url(start.mid(6)) : server.url(start));
        QCOMPARE(text, redirectedTo.isEmpty() ? told : "失败");
        QCOMPARE(page->FailureNote(), redirectedTo.isEmpty() ? "" : told);
        QCOMPARE(page->Address().toString(), redirectedTo.isEmpty() ? tls.url("/page") : redirectedTo);
        QCOMPARE(server.requestCount(), start == "/loop" ? 1 + HTTPPage2::MaxRedirects : int(start.startsWith('/')));
    }

    // Each kind of proxy carries the requests, with a login when it asks for one; the system's setting follows
    // http_proxy and no_proxy; none asks directly. A proxy that fails is a failure of its own, whose note names
    // the proxy and never the password.
    void proxies_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("noProxy");
        QTest::addColumn<QString>("login"); // the password the proxy asks for, with the user "u"
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("note"); // the failure's, "" when the pages come
        QTest::addColumn<bool>("through");
        const auto row = [](const char *name, Mode mode, QString noProxy, QString login, bool listening, QString note,
                            bool through) {
            QTest::newRow(name) << int(mode) << noProxy << login << listening << note << through;
        };
        row("http", Mode::Http, "", "", true, "", true);
        row("http, login", Mode::Http, "", "p w", true, "", true);
        row("socks5", Mode::Socks5, "", "", true, "", true);
        row("socks5, login", Mode::Socks5, "", "p w", true, "", true);
        row("system: http_proxy", Mode::System, "", "", true, "", true);
        row("system: no_proxy", Mode::System, "127.0.0.1", "", true, "", false);
        row("none", Mode::None, "", "", true, "", false);
        row("http, refused", Mode::Http, "", "", false, "the proxy http://u@127.0.0.1:%1 refused the connection",
            false);
        row("socks5, refused", Mode::Socks5, "", "", false, "no connection through the proxy socks5://u@127.0.0.1:%1",
            false);
        row("http, wrong password", Mode::Http, "", "right", true,
            "the proxy http://u@127.0.0.1:%1 does not take the user name or password", false);
    }
    void proxies()
    {
        QFETCH(int, mode);
        QFETCH(QString, noProxy);
        QFETCH(QString, login);
        QFETCH(bool, listening);
        QFETCH(QString, note);
        QFETCH(bool, through);
#ifdef Q_OS_WIN
        if (Mode(mode) == Mode::System)
            QSKIP("Windows' system proxy is the one in Internet Options, not http_proxy; the test leaves it alone");
#endif
        const bool socks = Mode(mode) == Mode::Socks5;
        TestProxy proxy(socks ? TestProxy::Kind::Socks5 : TestProxy::Kind::Http);
        proxy.user = login.isEmpty() ? "" : "u", proxy.password = login;
        const int port = listening && proxy.start() ? proxy.port() : QUrl(TestServer::closedUrl()).port();
        qputenv("http_proxy", proxy.url().toUtf8());
        qputenv("https_proxy", proxy.url().toUtf8());
        qputenv("no_proxy", noProxy.toUtf8());
        QNetworkAccessManager nam;
        Network::Apply(nam, {Mode(mode), "127.0.0.1", port, "u", "p w"});
        if (!note.isEmpty()) {
            QCOMPARE(fetch(nam, server.url("/f")), "失败");
            QVERIFY(page->failure() == HTTPPage2::Failure::Proxy);
            QCOMPARE(page->FailureNote(), note.arg(port));
        } else {
            QCOMPARE(fetch(nam, server.url("/p")), "page /p");
            if (TestServer::TlsServes())
                QCOMPARE(fetch(nam, tls.url("/s")), "secure /s");
        }
        const QStringList asked = QStringList{socks ? server.hostPort() : server.url("/p"), tls.hostPort()}.mid(
            0, TestServer::TlsServes() ? 2 : 1);
        QCOMPARE(proxy.asked, through ? asked : QStringList());
        if (note.isEmpty() && !TestServer::TlsServes())
            QSKIP(TestServer::kNoTlsServer); // the https half
    }

    // A server's cookies come back on the next request and after a restart, session cookies too; a pasted
    // "Cookie:" string is sent; clearing forgets both, on disk too. The file is the user's alone.
    void cookiesLast()
    {
        const QString file = dir.filePath("kept/cookies.txt");
        server.route("/set", [] {
            TestServer::Reply r = TestServer::page("set");
            r.headers = "Set-Cookie: sid=s1; Max-Age=3600\r\nSet-Cookie: pass=ok\r\n";
            return r;
        }());
        auto nam = std::make_unique<QNetworkAccessManager>();
        nam->setCookieJar(new CookieStore(file));
        fetch(*nam, server.url("/set"));
        fetch(*nam, server.url("/next"));
        QVERIFY(lastHeaders().contains("Cookie: sid=s1; pass=ok"));
        QVERIFY(OwnerOnly(file));

        nam = std::make_unique<QNetworkAccessManager>(); // a restart
        auto *jar = new CookieStore(file);
        nam->setCookieJar(jar);
        QCOMPARE(jar->Load(), "");
        QCOMPARE(jar->AddPasted(QUrl(server.url("/")), "Cookie: pasted=p1;  =x; bare; e="), 2);
        fetch(*nam, server.url("/again"));
        QVERIFY2(lastHeaders().contains("Cookie: sid=s1; pass=ok; pasted=p1; e="), qPrintable(lastHeaders().join('|')));
        QCOMPARE(jar->CountFor(QUrl(server.url("/"))), 4);
        QVERIFY(jar->Clear() && !QFile::exists(file));
        fetch(*nam, server.url("/cleared"));
        QVERIFY(!lastHeaders().join('\n').contains("Cookie"));
    }

    // A browser's export or curl's file: only the services' live cookies are taken, flags and expiry as written;
    // the kept file reads back the same.
    void netscapeFiles()
    {
        const QByteArray file = "# Netscape HTTP Cookie File\n"
                                "#HttpOnly_.baidu.com\tTRUE\t/\tFALSE\t4102444800\tBAIDUID\tB1:FG=1\n"
                                "www.baidu.com\tFALSE\t/s\tTRUE\t0\tBDSVRTM\t0\r\n"
                                ".baidu.com\tTRUE\t/\tFALSE\t946684800\told\tgone\n"
                                ".example.com\tTRUE\t/\tFALSE\t0\tother\tsite\n"
                                "baidurank.aizhan.com\tFALSE\t/\tFALSE\t0\tempty\n"
                                "not a cookie line\n";
        CookieStore jar;
        QCOMPARE(jar.AddNetscape(file, {QUrl("http://www.baidu.com/"), QUrl("http://baidurank.aizhan.com/")}), 3);
        const QByteArray kept = CookieStore::ToNetscape(jar.Cookies());
        QVERIFY(kept.contains("#HttpOnly_.baidu.com\tTRUE\t/\tFALSE\t4102444800\tBAIDUID\tB1:FG=1\n"));
        QVERIFY(kept.contains("www.baidu.com\tFALSE\t/s\tTRUE\t0\tBDSVRTM\t0\n"));
        QVERIFY(kept.contains("baidurank.aizhan.com\tFALSE\t/\tFALSE\t0\tempty\t\n"));
        QVERIFY(!kept.contains("old") && !kept.contains("example"));
        QCOMPARE(CookieStore::ToNetscape(CookieStore::ParseNetscape(kept)), kept);
    }

    // The settings keep the password out of the settings file, in a file of the user's alone; proxy addresses.
    void settings()
    {
        QSettings ini(dir.filePath("settings.ini"), QSettings::IniFormat);
        Network::Settings s;
        s.proxy = {Mode::Socks5, "proxy.lan", 1080, "me", "pw: secret"};
        s.userAgent = "Probe/2";
        s.https = true;
        QCOMPARE(s.Save(ini), "");
        QFile ini2(ini.fileName()), password(Network::Settings::PasswordFile(ini));
        QVERIFY(ini2.open(QIODevice::ReadOnly) && !ini2.readAll().contains("secret"));
        QVERIFY(OwnerOnly(password.fileName()));
        const Network::Settings back = Network::Settings::Load(ini);
        QVERIFY(back.proxy == s.proxy && back.userAgent == "Probe/2" && back.https);

        const auto proxy = Network::Proxy::FromUrl("http://me:pw@10.0.0.1:3128");
        QVERIFY(proxy && proxy->mode == Mode::Http && proxy->password == "pw");
        QCOMPARE(proxy->Name(), "http://me@10.0.0.1:3128");
        QCOMPARE(Network::Proxy::FromUrl("socks5h://h:1")->mode, Mode::Socks5);
        for (const char *bad : {"ftp://h:21", "http://h", "http://:8", "http://h:8/path", "h:8"})
            QVERIFY2(!Network::Proxy::FromUrl(bad), bad);
    }
};

QTEST_GUILESS_MAIN(TestNetwork)
#include "tst_network.moc"
