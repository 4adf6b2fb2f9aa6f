#include "HTTPPage2.h"

#include "Charset.h"
#include "Clock.h"
#include "Inflate.h"
#include "Markers.h"
#include "NetworkSettings.h"
#include "TextNumbers.h"
#include "XTimer.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <array>
#include <optional>
#include <stdexcept>

namespace {

int gLiveInstances = 0;
int gLiveReplies = 0;
QString gUserAgent;

// The limit counts whole seconds.
qint64 NowSeconds()
{
    return Clock::elapsedMs() / 1000;
}

bool IsHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

// Whether a step of the path is "." or "..": Qt sends the path with such
// steps resolved, so the request would ask for another path. Every "%" of
// the text starts an escape, so each "%2E" found is an encoded dot.
bool HasDotStep(const QString &url)
{
    const qsizetype authority = url.indexOf(QLatin1String("://"));
    qsizetype start = authority < 0 ? 0 : authority + 3;
    const qsizetype query = url.indexOf(QLatin1Char('?'), start);
    const qsizetype end = query < 0 ? url.size() : query;
    if (authority >= 0)
        start = url.indexOf(QLatin1Char('/'), start);
    if (start < 0 || start > end)
        return false; // no path at all
    QString path = url.mid(start, end - start);
    path.replace(QLatin1String("%2E"), QLatin1String("."), Qt::CaseInsensitive);
    for (const QStringView step : QStringView(path).split(QLatin1Char('/'))) {
        if (step == QLatin1String(".") || step == QLatin1String(".."))
            return true;
    }
    return false;
}

// The body as the server meant it: its content codings (a comma-separated
// list, the last applied last) undone in reverse order.
std::optional<QByteArray> Unpack(QByteArray body, const QByteArray &codings)
{
    const QList<QByteArray> list = codings.split(',');
    for (auto it = list.crbegin(); it != list.crend(); ++it) {
        const QByteArray coding = it->trimmed().toLower();
        if (coding.isEmpty() || coding == "identity")
            continue;
        if (coding != "gzip" && coding != "x-gzip" && coding != "deflate")
            return std::nullopt; // not one we asked for
        // "deflate" means the zlib wrapper, but some servers send the bare
        // stream, and browsers take both.
        Inflate::Wrapper wrapper = Inflate::Wrapper::Gzip;
        if (coding == "deflate") {
            const auto b0 = body.size() > 1 ? uchar(body[0]) : 0, b1 = body.size() > 1 ? uchar(body[1]) : 0;
            const bool zlib = (b0 & 0x0F) == 8 && ((b0 << 8) | b1) % 31 == 0;
            wrapper = zlib ? Inflate::Wrapper::Zlib : Inflate::Wrapper::Raw;
        }
        std::optional<QByteArray> unpacked = Inflate::Unpack(body, wrapper, HTTPPage2::MaxBodyBytes);
        if (!unpacked)
            return std::nullopt;
        body = std::move(*unpacked);
    }
    return body;
}

// What a transport error says about the connection. An error after the
// status line came is a bad answer: the server was there.
HTTPPage2::Failure FailureOf(QNetworkReply::NetworkError error, bool gotStatus)
{
    using Failure = HTTPPage2::Failure;
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return Failure::Refused;
    case QNetworkReply::HostNotFoundError:
        return Failure::HostNotFound;
    case QNetworkReply::TimeoutError:
        return Failure::TimedOut;
    // A socket that finds no route or no network reports neither of its own.
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return Failure::Unreachable;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::OperationCanceledError:
        return gotStatus ? Failure::BadAnswer : Failure::Reset;
    default:
        return Failure::BadAnswer;
    }
}

} // namespace

bool HTTPPage2::IsConnectionFailure(Failure failure)
{
    // A proxy that fails is the way out that fails; a redirect is an answer.
    return failure != Failure::None && failure != Failure::BadAnswer && failure != Failure::Redirect;
}

HTTPPage2::HTTPPage2(QNetworkAccessManager *nam, QObject *parent) : QObject(parent), mNam(nam ? nam : SharedManager())
{
    ++gLiveInstances;
}

HTTPPage2::~HTTPPage2()
{
    // A fetcher dropped mid-request stops its poll timer too, so nothing
    // keeps ticking for an instance that no longer exists.
    if (xTimer1) {
        xTimer1->Tick = nullptr;
        xTimer1->setEnabled(false);
    }
    ReleaseRequest();
    --gLiveInstances;
}

static QPointer<QNetworkAccessManager> &SharedManagerSlot()
{
    static QPointer<QNetworkAccessManager> shared;
    return shared;
}

QNetworkAccessManager *HTTPPage2::SharedManager()
{
    QPointer<QNetworkAccessManager> &shared = SharedManagerSlot();
    if (!shared) {
        shared = new QNetworkAccessManager;
        shared->setAutoDeleteReplies(false);
        // Freed first thing in the application's teardown. Left to it as a
        // child, it would go after the application has begun closing, and a
        // request still in its HTTP thread then leaks what Qt made for it
        // there (the thread's data, the request, its delegate).
        qAddPostRoutine([] { delete SharedManagerSlot().data(); });
    }
    return shared.data();
}

QUrl HTTPPage2::MakeUrl(const QString &text)
{
    QString safe;
    safe.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const ushort u = c.unicode();
        // A "%" that starts no escape is encoded here: left to QUrl, it would
        // make every escape of the text be encoded once more.
        const bool strayPercent =
            u == '%' && !(i + 2 < text.size() && IsHexDigit(text[i + 1]) && IsHexDigit(text[i + 2]));
        if (u < 0x20 || u == 0x7F || u == ' ' || u == '#' || strayPercent)
            safe += QLatin1Char('%') + QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            safe += c;
    }
    if (HasDotStep(safe))
        return QUrl();
    return QUrl(safe, QUrl::TolerantMode);
}

int HTTPPage2::LiveInstances()
{
    return gLiveInstances;
}

int HTTPPage2::LiveReplies()
{
    return gLiveReplies;
}

void HTTPPage2::SetUserAgent(const QString &agent)
{
    gUserAgent = agent;
}

QString HTTPPage2::UserAgent()
{
    return gUserAgent.isEmpty() ? Network::kDefaultUserAgent : gUserAgent;
}

void HTTPPage2::SubIniData(const QString &Url, const QString &nUnicode, const QString &nSencond)
{
    if (Url.trimmed().isEmpty()) {
        Q_EMIT HttpEvent(QString());
        return;
    }
    double limit = 0;
    qint32 seconds = 0;
    if (!TextNumbers::LocaleToDouble(nSencond, &limit) || !TextNumbers::RoundToInt32(limit, &seconds))
        throw std::invalid_argument("time limit is not a number");

    ReleaseRequest();
    mStatus = 0;
    mBody.clear();
    mRedirects = 0;
    mFailure = Failure::None;
    mFailureNote.clear();
    Send(MakeUrl(Url));

    if (xTimer1) {
        xTimer1->Tick = nullptr;
        xTimer1->setEnabled(false);
    }
    xTimer1 = XTimer::Create();
    xTimer1->Tick = [this] { xTimer1_Tick(); };
    xTimer1->setInterval(PollMilliseconds);
    xTimer1->setEnabled(true);

    mStartTime = NowSeconds();
    mCharset = nUnicode;
    mTimeoutSeconds = seconds;
}

void HTTPPage2::Send(const QUrl &url)
{
    mAddress = url;
    QNetworkRequest request(url);
    // Followed here, hop by hop, so that a redirect off the service is an
    // answer of its own.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // A browser's headers: the services meet a bare client with their
    // security check.
    request.setHeader(QNetworkRequest::UserAgentHeader, UserAgent());
    request.setRawHeader("Accept", Network::kAccept);
    request.setRawHeader("Accept-Language", Network::kAcceptLanguage);
    // Asked for by name, the codings reach us packed: Qt's own unpacking
    // hands back a cut-short stream as if it were the whole page.
    request.setRawHeader("Accept-Encoding", "gzip, deflate");
    QNetworkReply *reply = mNam->get(request);
    // Past this much unread body the reply stops reading, so memory stays
    // bounded; the poll then gives up on it.
    reply->setReadBufferSize(MaxBodyBytes + 1);
    ++gLiveReplies;
    QObject::connect(reply, &QObject::destroyed, [] { --gLiveReplies; });
    mHttp = reply;
}

QUrl HTTPPage2::NextHop()
{
    const QUrl target = mHttp->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (target.isEmpty())
        return {};
    const QUrl from = mHttp->url();
    const QUrl next = from.resolved(target);
    const QString scheme = next.scheme().toLower();
    const bool web = scheme == QLatin1String("https") ||
                     (scheme == QLatin1String("http") && from.scheme().toLower() == QLatin1String("http"));
    const bool sameHost = next.host().compare(from.host(), Qt::CaseInsensitive) == 0;
    if (web && sameHost && mRedirects < MaxRedirects) {
        ++mRedirects;
        return next;
    }
    // Not a page of the service: a page read from it would give figures of
    // 0, so it is a failure, and where it led is said.
    mAddress = next;
    mFailure = Failure::Redirect;
    mFailureNote = web && sameHost
                       ? tr("too many redirects")
                       : tr("redirected to %1")
                             .arg(next.toDisplayString(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemovePath));
    return {};
}

bool HTTPPage2::NoteProxyFailure(int error)
{
    // The proxy this request went to: the manager's own, or the one its
    // factory (the system's setting) chose.
    const QNetworkProxyQuery query(mHttp->url());
    QNetworkProxy proxy = mNam->proxy();
    if (QNetworkProxyFactory *factory = mNam->proxyFactory())
        proxy = factory->queryProxy(query).value(0);
    else if (proxy.type() == QNetworkProxy::DefaultProxy)
        proxy = QNetworkProxyFactory::proxyForQuery(query).value(0);
    const bool proxyError =
        error >= QNetworkReply::ProxyConnectionRefusedError && error <= QNetworkReply::UnknownProxyError;
    if (!proxyError && (proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy))
        return false;
    // Through an HTTP proxy the connection is the proxy's: Qt reports its
    // failures as the server's own.
    const bool http = proxy.type() == QNetworkProxy::HttpProxy || proxy.type() == QNetworkProxy::HttpCachingProxy;
    const QString name = Network::NameOf(proxy);
    if (error == QNetworkReply::ProxyConnectionRefusedError || (http && error == QNetworkReply::ConnectionRefusedError))
        mFailureNote = tr("the proxy %1 refused the connection").arg(name);
    else if (error == QNetworkReply::ProxyNotFoundError || (http && error == QNetworkReply::HostNotFoundError))
        mFailureNote = tr("the proxy %1 cannot be found").arg(name);
    else if (error == QNetworkReply::ProxyAuthenticationRequiredError)
        mFailureNote = tr("the proxy %1 does not take the user name or password").arg(name);
    else if (error == QNetworkReply::ProxyTimeoutError)
        mFailureNote = tr("the proxy %1 does not answer").arg(name);
    else
        mFailureNote = tr("no connection through the proxy %1").arg(name);
    return true;
}

void HTTPPage2::StopByHand()
{
    if (xTimer1) {
        xTimer1->Tick = nullptr;
        xTimer1->setEnabled(false);
        xTimer1.reset();
    }
    ReleaseRequest();
}

bool HTTPPage2::Busy() const
{
    // A request whose poll timer could not start never answers.
    return mHttp && xTimer1 && xTimer1->Enabled();
}

void HTTPPage2::xTimer1_Tick()
{
    if (!mHttp)
        return;
    mStatus = mHttp->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!mHttp->isFinished()) {
        if (mHttp->bytesAvailable() > MaxBodyBytes) {
            Finish(Markers::kFailed, Failure::BadAnswer, true);
            return;
        }
        if (NowSeconds() - mStartTime > mTimeoutSeconds)
            Finish(Markers::kFailed, Failure::TimedOut, true);
        return;
    }

    if (const QUrl next = NextHop(); next.isValid()) {
        ReleaseRequest();
        Send(next); // within the same time limit
        return;
    }
    if (mFailure == Failure::Redirect) {
        Finish(Markers::kFailed, Failure::Redirect, false);
        return;
    }
    // A transport failure (refused, reset, cut short, or the proxy's)
    // leaves no usable body; an HTTP error status with a body is still a page.
    const bool gotStatus = mHttp->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    const QNetworkReply::NetworkError error = mHttp->error();
    const bool proxyFailed =
        error >= QNetworkReply::ProxyConnectionRefusedError && error <= QNetworkReply::UnknownProxyError;
    const bool transportFailed = error != QNetworkReply::NoError &&
                                 (!gotStatus || proxyFailed || error == QNetworkReply::RemoteHostClosedError ||
                                  error == QNetworkReply::OperationCanceledError);
    QString text = Markers::kFailed;
    Failure failure = transportFailed ? FailureOf(error, gotStatus) : Failure::BadAnswer;
    if (transportFailed && NoteProxyFailure(error))
        failure = Failure::Proxy;
    if (!transportFailed) {
        const std::optional<QByteArray> body = Unpack(mHttp->readAll(), mHttp->rawHeader("Content-Encoding"));
        if (body && body->size() >= 3 && body->size() <= MaxBodyBytes) {
            if (auto decoded = Charset::DecodePage(*body, mHttp->rawHeader("Content-Type"), mCharset)) {
                text = *decoded;
                mBody = *body;
                failure = Failure::None;
            }
        }
    }
    Finish(text, failure, false);
}

void HTTPPage2::Finish(const QString &HereReturnCode, Failure failure, bool releaseFirst)
{
    mFailure = failure;
    // Hold the poll timer and the request through the receiver, then let go
    // of whatever they are by then: the receiver must not reuse this fetcher.
    std::shared_ptr<XTimer> timer = xTimer1;
    if (releaseFirst) {
        ReleaseRequest();
        if (timer)
            timer->setEnabled(false);
    }
    QPointer<HTTPPage2> self(this);
    QString code = HereReturnCode;
    Q_EMIT HttpEvent(code);
    if (!self)
        return;
    if (xTimer1)
        xTimer1->setEnabled(false);
    ReleaseRequest();
}

void HTTPPage2::ReleaseRequest()
{
    if (!mHttp)
        return;
    QNetworkReply *reply = mHttp.data();
    mHttp.clear();
    if (!reply->isFinished())
        reply->abort();
    reply->deleteLater();
}
