#pragma once
// Fetches one web page without blocking the UI: an asynchronous GET polled
// every 10 ms, a wall-clock time limit in whole seconds, the body unpacked
// (gzip, deflate) and decoded in the charset a browser would find (the
// caller's names the page that declares none), and exactly one HttpEvent
// with the text, "失败" or "". A body that cannot be unpacked as sent is a
// failure. Every request carries a browser's identity; redirects are
// followed while they stay on the host asked, never from https:// back to
// http://, and any other is a failure.
//
// Owners never start a second request on an instance from inside its
// HttpEvent: they make a new instance and release the old one with
// deleteLater, so it can finish its own tick first.

#include "TestSeam.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class XTimer;

class HTTPPage2 final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HTTPPage2)

public:
    static constexpr qint64 MaxBodyBytes = 16 * 1024 * 1024;
    static constexpr int PollMilliseconds = 10;
    static constexpr int MaxRedirects = 10;

    // nam == nullptr uses the program's shared manager.
    explicit HTTPPage2(QNetworkAccessManager *nam = nullptr, QObject *parent = nullptr);
    ~HTTPPage2() override;

    // Starts the fetch and returns at once. nSencond is the limit in whole
    // seconds as decimal text; an unreadable limit throws std::invalid_argument
    // before anything is sent.
    void SubIniData(const QString &Url, const QString &nUnicode, const QString &nSencond);
    // Abandons the request in flight without an event.
    void StopByHand();
    // Whether a request is on its way and its HttpEvent yet to come.
    bool Busy() const;

    // Of the answer the last HttpEvent told: its HTTP status (0 when none
    // came) and its body as it came, unpacked but not decoded ("" when
    // there was none to use).
    int StatusCode() const { return mStatus; }
    const QByteArray &Body() const { return mBody; }
    // Where that answer came from: the address asked, the last one a
    // redirect led to, or the one a redirect that was not followed named.
    const QUrl &Address() const { return mAddress; }

    // Why the last HttpEvent carried "失败": the connection (nothing of an
    // answer came) or the answer itself.
    enum class Failure : quint8 {
        None,         // a page came (or the address was blank)
        Refused,      // nothing listens at the address
        Reset,        // the connection was reset or closed before an answer
        Unreachable,  // no route to the host, or no network at all
        HostNotFound, // the name did not resolve
        TimedOut,     // no whole answer within the limit
        BadAnswer,    // an answer came, but its body is missing, short, damaged or too large
        Proxy,        // the proxy refused, could not be reached, or turned the login away
        Redirect,     // a redirect not followed: off the host asked, back to http://, or past MaxRedirects
    };
    Q_ENUM(Failure)
    Failure failure() const { return mFailure; }
    // Whether a failure says the service is out of reach rather than that
    // it answered badly: what a lost network looks like.
    static bool IsConnectionFailure(Failure failure);
    // What to tell the user of the failure, "" when nothing particular: the
    // proxy (named without its password), or where a redirect led.
    const QString &FailureNote() const { return mFailureNote; }

    // The browser identity every request carries from now on.
    static void SetUserAgent(const QString &agent);
    static QString UserAgent();

    static QNetworkAccessManager *SharedManager();
    // The request URL for a text: blanks, control characters, "#" and a "%"
    // that starts no escape are percent-encoded, so typed text can neither
    // add a header nor lose its tail, and escapes already in it are sent as
    // they are. A path step "." or ".." (however its dots are written) would
    // be sent as another path, so such a text gives an empty URL, which
    // fails without sending anything.
    static QUrl MakeUrl(const QString &text);

    // Replies still open: the ones a run waits for before it ends.
    static int LiveReplies();

Q_SIGNALS:
    void HttpEvent(const QString &HereReturnCode);

private:
    friend struct TestSeam<HTTPPage2>;
    // Leak accounting.
    static int LiveInstances();

    void Send(const QUrl &url);
    void xTimer1_Tick();
    // The redirect to follow now, or an empty URL.
    QUrl NextHop();
    // Whether a transport error is the proxy's; its note is kept.
    bool NoteProxyFailure(int error);
    void Finish(const QString &HereReturnCode, Failure failure, bool releaseFirst);
    void ReleaseRequest();

    QNetworkAccessManager *mNam;
    std::shared_ptr<XTimer> xTimer1;
    QPointer<QNetworkReply> mHttp;
    qint64 mStartTime = 0;
    QString mCharset;
    qint32 mTimeoutSeconds = 0;
    int mStatus = 0;
    QByteArray mBody;
    QUrl mAddress;
    int mRedirects = 0;
    Failure mFailure = Failure::None;
    QString mFailureNote;
};
