#include "HistoryDialog.h"

#include "BatchModel.h"
#include "HistoryProxy.h"
#include "LineChart.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

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

    auto *chart = new LineChart(this);
    chart->SetTitle(QStringLiteral("%1 的变化").arg(domain));
    chart->SetAxisTitle(LineChart::Axis::Left, QStringLiteral("百度权重"));
    chart->SetAxisTitle(LineChart::Axis::Right, QStringLiteral("收录 / 反链"));
    chart->SetRange(LineChart::Axis::Left, 0, 10);
    chart->SetRange(LineChart::Axis::Right, 0, 1);
    const std::pair<int, LineChart::Axis> plotted[] = {{Batch::Weight, LineChart::Axis::Left},
                                                       {Batch::Indexed, LineChart::Axis::Right},
                                                       {Batch::Backlinks, LineChart::Axis::Right}};
    for (const auto &[figure, axis] : plotted) {
        QList<LineChart::Point> points;
        for (const Check &c : checks) {
            if (const std::optional<double> v = HistoryProxy::Comparable(c.figures[figure].text))
                points.append({c.time, *v});
        }
        chart->AddSeries(BatchModel::Headers().at(2 + figure), points, axis);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(chart, 3);
    layout->addWidget(table, 2);
}
