#include "MovementDialogs.h"

#include "KeywordModel.h"
#include "KeywordPages.h"
#include "LineChart.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString When(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QTableWidget *Table(int rows, const QStringList &headers, QWidget *parent)
{
    auto *table = new QTableWidget(rows, int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    return table;
}

} // namespace

LostKeywordsDialog::LostKeywordsDialog(const QString &domain, const QDateTime &when,
                                       const QList<Site::KeywordRow> &lost, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("失去的关键词 - %1").arg(domain));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 420);
    auto *table = Table(int(lost.size()),
                        {QStringLiteral("关键字"), QStringLiteral("上次排名"), QStringLiteral("上次搜索指数"),
                         QStringLiteral("网页标题")},
                        this);
    const int fields[] = {Site::Keyword, Site::Rank, Site::SearchIndex, Site::Title};
    for (int r = 0; r < lost.size(); ++r) {
        for (int c = 0; c < 4; ++c)
            table->setItem(r, c, new QTableWidgetItem(lost[r].fields[fields[c]].trimmed()));
    }
    table->resizeColumnsToContents();
    auto *layout = new QVBoxLayout(this);
    auto *says = new QLabel(
        QStringLiteral("%1 个关键词在 %2 的扫描中有排名，这次没有：").arg(lost.size()).arg(When(when)), this);
    says->setTextFormat(Qt::PlainText);
    layout->addWidget(says);
    layout->addWidget(table);
}

KeywordHistoryDialog::KeywordHistoryDialog(const QString &domain, const QString &keyword,
                                           const QList<KeywordRank> &history, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("排名历史 - %1 - %2").arg(keyword, domain));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(720, 540);
    auto *table = Table(int(history.size()),
                        {QStringLiteral("扫描时间"), QStringLiteral("百度排名"), QStringLiteral("名次"),
                         QStringLiteral("百度搜索指数")},
                        this);
    QList<LineChart::Point> points;
    double worst = 10;
    for (int r = 0; r < history.size(); ++r) {
        const KeywordRank &h = history[r];
        const std::optional<int> place = h.ranked ? KeywordPages::RankPosition(h.rank) : std::nullopt;
        const QString cells[] = {When(h.time), h.ranked ? h.rank.trimmed() : QStringLiteral("未上榜"),
                                 place ? QString::number(*place) : QString(), h.searchIndex.trimmed()};
        for (int c = 0; c < 4; ++c)
            table->setItem(r, c, new QTableWidgetItem(cells[c]));
        if (place) {
            points.append({h.time, double(*place)});
            worst = qMax(worst, double(*place));
        }
    }
    table->resizeColumnsToContents();

    auto *chart = new LineChart(this);
    chart->SetTitle(QStringLiteral("“%1”的百度排名").arg(keyword));
    chart->SetAxisTitle(LineChart::Axis::Left, QStringLiteral("名次"));
    chart->SetInverted(LineChart::Axis::Left, true);
    chart->SetRange(LineChart::Axis::Left, 1, worst);
    chart->AddSeries(QStringLiteral("百度排名"), points);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(chart, 3);
    layout->addWidget(table, 2);
}
