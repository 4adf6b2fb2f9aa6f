#include "HTTPPage2.h"

#include "Charset.h"
#include "TextNumbers.h"
#include "XTimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <stdexcept>

namespace {

int gLiveInstances = 0;
int gLiveReplies = 0;
std::function<qint64()> gClock;

qint64 MonotonicSeconds()
{
    // elapsed(), not msecsSinceReference(): the latter is the fixed moment
    // the timer was started, so the limit would never strike.
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return since.elapsed() / 1000;
}

const QString &FailureWord()
{
    static const QString word = QStringLiteral("失败");
    return word;
}

} // namespace

HTTPPage2::HTTPPage2(QNetworkAccessManager *nam, QObject *parent)
    : QObject(parent)
    , mNam(nam ? nam : SharedManager())
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

QNetworkAccessManager *HTTPPage2::SharedManager()
{
    static QPointer<QNetworkAccessManager> shared;
    if (!shared) {
        shared = new QNetworkAccessManager(QCoreApplication::instance());
        shared->setAutoDeleteReplies(false);
    }
    return shared.data();
}

QUrl HTTPPage2::MakeUrl(const QString &text)
{
    QString safe;
    safe.reserve(text.size() + 16);
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 || u == 0x7F || u == ' ' || u == '#')
            safe += QLatin1Char('%') + QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            safe += c;
    }
    return QUrl(safe, QUrl::TolerantMode);
}

void HTTPPage2::SetClock(std::function<qint64()> clock)
{
    gClock = std::move(clock);
}

qint64 HTTPPage2::NowSeconds()
{
    return gClock ? gClock() : MonotonicSeconds();
}

int HTTPPage2::LiveInstances()
{
    return gLiveInstances;
}

int HTTPPage2::LiveReplies()
{
    return gLiveReplies;
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
    QNetworkRequest request(MakeUrl(Url));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QNetworkReply *reply = mNam->get(request);
    // Past this much unread body the reply stops reading, so memory stays
    // bounded; the poll then gives up on it.
    reply->setReadBufferSize(MaxBodyBytes + 1);
    ++gLiveReplies;
    QObject::connect(reply, &QObject::destroyed, [] { --gLiveReplies; });
    mHttp = reply;

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

void HTTPPage2::StopByHand()
{
    if (xTimer1) {
        xTimer1->Tick = nullptr;
        xTimer1->setEnabled(false);
        xTimer1.reset();
    }
    ReleaseRequest();
}

void HTTPPage2::xTimer1_Tick()
{
    if (!mHttp)
        return;
    if (!mHttp->isFinished()) {
        if (mHttp->bytesAvailable() > MaxBodyBytes) {
            Finish(FailureWord(), true);
            return;
        }
        if (NowSeconds() - mStartTime > mTimeoutSeconds)
            Finish(FailureWord(), true);
        return;
    }

    // A transport failure (refused, reset, cut short) leaves no usable body;
    // an HTTP error status with a body is still a page.
    const bool gotStatus = mHttp->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    const QNetworkReply::NetworkError error = mHttp->error();
    const bool transportFailed = error != QNetworkReply::NoError
        && (!gotStatus || error == QNetworkReply::RemoteHostClosedError
            || error == QNetworkReply::OperationCanceledError);
    QString text = FailureWord();
    if (!transportFailed) {
        const QByteArray body = mHttp->readAll();
        if (body.size() >= 3 && body.size() <= MaxBodyBytes) {
            if (auto decoded = Charset::Decode(body, mCharset))
                text = *decoded;
        }
    }
    Finish(text, false);
}

void HTTPPage2::Finish(const QString &HereReturnCode, bool releaseFirst)
{
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
