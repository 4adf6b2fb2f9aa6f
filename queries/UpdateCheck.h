#pragma once
// The update check: the maker's page fetched once on pr5, and a signal when
// it announces a newer version.

#include <QObject>
#include <QPointer>

class HTTPPage2;
class QNetworkAccessManager;

class UpdateCheck final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UpdateCheck)

public:
    UpdateCheck(QString updateUrl, QNetworkAccessManager *nam, QObject *parent = nullptr);

    void RequestUpdateNotice();

Q_SIGNALS:
    void announced(const QString &notice);

private:
    void pr5_HttpEvent(const QString &HereReturnCode);

    QString mUrl;
    QNetworkAccessManager *mNam;
    QPointer<HTTPPage2> pr5;
};
