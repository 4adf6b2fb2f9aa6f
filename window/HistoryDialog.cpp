#include "HistoryDialog.h"

#include "BatchModel.h"
#include "HistoryProxy.h"

#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QHeaderView>
#include <QLineSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

HistoryDialog::HistoryDialog(const QString &domain, const QList<Check> &checks, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("历史记录 - %1").arg(domain));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(760, 560);

    auto *table = new QTableWidget(int(checks.size()), 1 + Batch::FigureCount, this);
    table->setHorizontalHeaderLabels(QStringList{QStringLiteral("查询时间")} + BatchModel::Headers().mid(2));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int r = 0; r < checks.size(); ++r) {
        table->setItem(r, 0,
                       new QTableWidgetItem(checks[r].time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
        for (int f = 0; f < Batch::FigureCount; ++f)
            table->setItem(r, f + 1, new QTableWidgetItem(checks[r].figures[f].text));
    }
    table->resizeColumnsToContents();

    auto *chart = new QChart;
    chart->setTitle(QStringLiteral("%1 的变化").arg(domain));
    auto *time = new QDateTimeAxis;
    // Days apart read as dates; checks of one day need their times.
    const bool sameDay = checks.isEmpty() || checks.first().time.daysTo(checks.last().time) < 2;
    time->setFormat(sameDay ? QStringLiteral("MM-dd HH:mm") : QStringLiteral("yyyy-MM-dd"));
    auto *weightAxis = new QValueAxis;
    weightAxis->setTitleText(QStringLiteral("百度权重"));
    weightAxis->setLabelFormat(QStringLiteral("%d"));
    auto *countAxis = new QValueAxis;
    countAxis->setTitleText(QStringLiteral("收录 / 反链"));
    countAxis->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(weightAxis, Qt::AlignLeft);
    chart->addAxis(countAxis, Qt::AlignRight);
    const std::pair<int, QValueAxis *> plotted[] = {
        {Batch::Weight, weightAxis}, {Batch::Indexed, countAxis}, {Batch::Backlinks, countAxis}};
    double top[2] = {1, 1};
    for (const auto &[figure, axis] : plotted) {
        auto *series = new QLineSeries;
        series->setName(BatchModel::Headers().at(2 + figure));
        for (const Check &c : checks) {
            if (const std::optional<double> v = HistoryProxy::Comparable(c.figures[figure].text)) {
                series->append(double(c.time.toMSecsSinceEpoch()), *v);
                double &max = top[axis == countAxis];
                max = std::max(max, *v);
            }
        }
        series->setPointsVisible(true);
        chart->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(axis);
    }
    weightAxis->setRange(0, std::max(10.0, top[0]));
    countAxis->setRange(0, top[1] * 1.1);
    if (!checks.isEmpty())
        time->setRange(checks.first().time.toLocalTime().addSecs(-3600),
                       checks.last().time.toLocalTime().addSecs(3600));

    auto *view = new QChartView(chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(view, 3);
    layout->addWidget(table, 2);
}
