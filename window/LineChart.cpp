#include "LineChart.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {
constexpr int kMargin = 8;
constexpr double kMarker = 3.5;
constexpr double kHitRadius = 6;
const QColor kColors[] = {{31, 119, 180}, {255, 127, 14}, {44, 160, 44}, {214, 39, 40}, {148, 103, 189}};

// Checks that lie a day or more apart read as dates; those of one day need their times.
QString TimeFormat(const QDateTime &from, const QDateTime &to)
{
    return from.secsTo(to) < 2 * 86400 ? QStringLiteral("MM-dd HH:mm") : QStringLiteral("yyyy-MM-dd");
}
} // namespace

LineChart::LineChart(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    Rescale();
}

void LineChart::SetTitle(const QString &title)
{
    mTitle = title;
    update();
}

void LineChart::SetAxisTitle(Axis axis, const QString &title)
{
    ScaleOf(axis).title = title;
    update();
}

void LineChart::SetInverted(Axis axis, bool inverted)
{
    ScaleOf(axis).inverted = inverted;
    update();
}

void LineChart::SetRange(Axis axis, double low, double high)
{
    ScaleOf(axis).range = std::pair(std::min(low, high), std::max(low, high));
    Rescale();
}

int LineChart::AddSeries(const QString &name, QList<Point> points, Axis axis)
{
    points.erase(std::remove_if(points.begin(), points.end(),
                                [](const Point &p) { return !p.time.isValid() || !std::isfinite(p.value); }),
                 points.end());
    std::stable_sort(points.begin(), points.end(), [](const Point &a, const Point &b) { return a.time < b.time; });
    mSeries.append({name, std::move(points), axis});
    Rescale();
    return int(mSeries.size()) - 1;
}

QColor LineChart::SeriesColor(int series) const
{
    return kColors[series % std::size(kColors)];
}

void LineChart::Rescale()
{
    for (int side = 0; side < 2; ++side) {
        Scale &scale = mScales[side];
        const Axis axis = side ? Axis::Right : Axis::Left;
        scale.used = false;
        double low = INFINITY, high = -INFINITY;
        if (scale.range) {
            low = scale.range->first;
            high = scale.range->second;
        }
        for (const Series &s : mSeries) {
            if (s.axis != axis)
                continue;
            scale.used = true;
            for (const Point &p : s.points) {
                low = std::min(low, p.value);
                high = std::max(high, p.value);
            }
        }
        if (low > high) { // nothing to show
            low = 0;
            high = 1;
        }
        scale.ticks = Ticks(low, high, 5);
    }
    updateGeometry();
    update();
}

QList<double> LineChart::Ticks(double low, double high, int most)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        return {0, 1};
    if (low > high)
        std::swap(low, high);
    if (high - low < 1e-9 * std::max(1.0, std::abs(high))) { // one value: a span around it, not below zero
        const double pad = std::max(1.0, std::abs(low) * 0.1);
        low = low >= 0 ? std::max(0.0, low - pad) : low - pad;
        high += pad;
    }
    most = std::max(1, most);
    const double rough = (high - low) / most;
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (;; power *= 10) {
        for (const double m : {1.0, 2.0, 5.0}) {
            const double step = m * power;
            const double first = std::floor(low / step + 1e-9);
            const double last = std::ceil(high / step - 1e-9);
            if (last - first > most)
                continue;
            // Dividing by a whole power of ten keeps 0.6 from reading as 0.6000000000000001.
            const double inverse = power < 1 ? std::round(1 / power) : 0;
            QList<double> ticks;
            for (double i = first; i <= last; ++i)
                ticks << (i == 0 ? 0.0 : inverse ? i * m / inverse : i * step);
            return ticks;
        }
    }
}

QString LineChart::Label(double value)
{
    const double size = std::abs(value);
    if (size >= 1e8)
        return QString::number(value / 1e8, 'g', 4) + QStringLiteral("亿");
    if (size >= 1e4)
        return QString::number(value / 1e4, 'g', 4) + QStringLiteral("万");
    return QString::number(value, 'g', 6);
}

LineChart::Layout LineChart::Place() const
{
    const QFontMetrics fm = fontMetrics();
    Layout layout;
    for (const Series &s : mSeries) {
        for (const Point &p : s.points) {
            if (!layout.from.isValid() || p.time < layout.from)
                layout.from = p.time;
            if (!layout.to.isValid() || p.time > layout.to)
                layout.to = p.time;
        }
    }
    if (!layout.from.isValid())
        layout.from = layout.to = QDateTime::fromSecsSinceEpoch(0);
    // Room either side so that the first and last points are not on the frame.
    const qint64 pad = std::max<qint64>(layout.from.secsTo(layout.to) / 20, 3600);
    layout.from = layout.from.addSecs(-pad);
    layout.to = layout.to.addSecs(pad);

    const auto sideWidth = [&](const Scale &scale) {
        if (!scale.used)
            return double(kMargin + fm.horizontalAdvance(QStringLiteral("00")) / 2);
        int labels = 0;
        for (const double t : scale.ticks)
            labels = std::max(labels, fm.horizontalAdvance(Label(t)));
        return double(kMargin + labels + 6 + (scale.title.isEmpty() ? 0 : fm.height() + 4));
    };
    const double top = kMargin + (mTitle.isEmpty() ? fm.height() / 2 : fm.height() * 1.5 + 4);
    const double bottom = height() - kMargin - 2 * (fm.height() + 6);
    const double left = sideWidth(mScales[0]);
    const double right = width() - sideWidth(mScales[1]);
    layout.plot = QRectF(QPointF(left, top), QPointF(std::max(left + 1, right), std::max(top + 1, bottom)));
    return layout;
}

QPointF LineChart::Map(const Layout &layout, const Scale &scale, const Point &p) const
{
    const QRectF &r = layout.plot;
    const double span = double(layout.from.msecsTo(layout.to));
    const double x = r.left() + r.width() * double(layout.from.msecsTo(p.time)) / span;
    const double low = scale.ticks.first(), high = scale.ticks.last();
    const double f = (p.value - low) / (high - low);
    return {x, scale.inverted ? r.top() + f * r.height() : r.bottom() - f * r.height()};
}

QPointF LineChart::Position(int series, int index) const
{
    const Series &s = mSeries.at(series);
    return Map(Place(), ScaleOf(s.axis), s.points.at(index));
}

std::optional<std::pair<int, int>> LineChart::PointAt(QPoint at) const
{
    const Layout layout = Place();
    std::optional<std::pair<int, int>> found;
    double best = kHitRadius;
    for (int s = 0; s < mSeries.size(); ++s) {
        for (int i = 0; i < mSeries[s].points.size(); ++i) {
            const QPointF d = Map(layout, ScaleOf(mSeries[s].axis), mSeries[s].points[i]) - QPointF(at);
            const double distance = std::hypot(d.x(), d.y());
            if (distance <= best) {
                best = distance;
                found = std::pair(s, i);
            }
        }
    }
    return found;
}

bool LineChart::event(QEvent *e)
{
    if (e->type() != QEvent::ToolTip)
        return QWidget::event(e);
    const auto *help = static_cast<QHelpEvent *>(e);
    if (const auto hit = PointAt(help->pos())) {
        const Series &s = mSeries[hit->first];
        const Point &p = s.points[hit->second];
        const Layout layout = Place();
        QToolTip::showText(help->globalPos(),
                           QStringLiteral("%1\n%2  %3")
                               .arg(s.name, p.time.toLocalTime().toString(TimeFormat(layout.from, layout.to)),
                                    QString::number(p.value, 'g', 12)),
                           this);
    } else {
        QToolTip::hideText();
        e->ignore();
    }
    return true;
}

void LineChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().base());
    const Layout layout = Place();
    if (!mTitle.isEmpty()) {
        const QFontMetrics fm = fontMetrics();
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRectF(0, kMargin, width(), fm.height() * 1.5), Qt::AlignCenter, mTitle);
        painter.setFont(font());
    }
    DrawValueAxes(painter, layout);
    DrawDateAxis(painter, layout);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(layout.plot);
    DrawSeries(painter, layout);
}

void LineChart::DrawValueAxes(QPainter &painter, const Layout &layout) const
{
    const QFontMetrics fm = fontMetrics();
    const QRectF &plot = layout.plot;
    const QColor text = palette().color(QPalette::Text);
    const QColor grid = palette().color(QPalette::Mid).lighter(130);
    // The value axes: labels at the ticks, grid lines from the first axis in use.
    const bool gridFromLeft = mScales[0].used || !mScales[1].used;
    for (int side = 0; side < 2; ++side) {
        const Scale &scale = mScales[side];
        if (!scale.used && !(side == 0 && gridFromLeft))
            continue;
        for (const double t : scale.ticks) {
            const double y = Map(layout, scale, {layout.from, t}).y();
            if ((side == 0) == gridFromLeft) {
                painter.setPen(QPen(grid, 1, Qt::DotLine));
                painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
            }
            painter.setPen(text);
            const QRectF box = side == 0 ? QRectF(0, y - fm.height(), plot.left() - 5, 2 * fm.height())
                                         : QRectF(plot.right() + 5, y - fm.height(), width(), 2 * fm.height());
            painter.drawText(box, Qt::AlignVCenter | (side == 0 ? Qt::AlignRight : Qt::AlignLeft), Label(t));
        }
        if (!scale.title.isEmpty()) {
            painter.save();
            painter.setPen(text);
            const double x = side == 0 ? kMargin + fm.ascent() : width() - kMargin - fm.descent();
            painter.translate(x, plot.center().y());
            painter.rotate(side == 0 ? -90 : 90);
            painter.drawText(QRectF(-plot.height() / 2, -fm.ascent(), plot.height(), fm.height()), Qt::AlignCenter,
                             scale.title);
            painter.restore();
        }
    }
}

void LineChart::DrawDateAxis(QPainter &painter, const Layout &layout) const
{
    const QFontMetrics fm = fontMetrics();
    const QRectF &plot = layout.plot;
    const QColor text = palette().color(QPalette::Text);
    const QColor grid = palette().color(QPalette::Mid).lighter(130);
    // The date axis: whole days (or hours, within two days), as many as fit.
    const QString format = TimeFormat(layout.from, layout.to);
    const bool days = format.size() == 10;
    const int labelWidth = fm.horizontalAdvance(QDateTime::currentDateTime().toString(format)) + 16;
    const qint64 units = layout.from.secsTo(layout.to) / (days ? 86400 : 3600);
    const int fit = std::max(1, int(plot.width()) / labelWidth);
    const int step = std::max<int>(1, int((units + fit - 1) / fit));
    const QDateTime from = layout.from.toLocalTime();
    QDateTime t = days ? QDateTime(from.date().addDays(1), QTime(0, 0))
                       : QDateTime(from.date(), QTime(from.time().hour(), 0)).addSecs(3600);
    for (; t <= layout.to; t = days ? t.addDays(step) : t.addSecs(3600 * step)) {
        const double x = plot.left() + plot.width() * double(layout.from.msecsTo(t)) / layout.from.msecsTo(layout.to);
        painter.setPen(grid);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        painter.setPen(text);
        const QRectF box(x - labelWidth / 2.0, plot.bottom() + 5, labelWidth, fm.height());
        if (box.left() >= 0 && box.right() <= width())
            painter.drawText(box, Qt::AlignCenter, t.toString(format));
    }
}

void LineChart::DrawSeries(QPainter &painter, const Layout &layout) const
{
    const QFontMetrics fm = fontMetrics();
    for (int s = 0; s < mSeries.size(); ++s) {
        const Series &series = mSeries[s];
        QPainterPath line;
        for (int i = 0; i < series.points.size(); ++i) {
            const QPointF at = Map(layout, ScaleOf(series.axis), series.points[i]);
            i == 0 ? line.moveTo(at) : line.lineTo(at);
        }
        painter.setPen(QPen(SeriesColor(s), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(line);
        painter.setBrush(SeriesColor(s));
        for (const Point &p : series.points)
            painter.drawEllipse(Map(layout, ScaleOf(series.axis), p), kMarker, kMarker);
    }

    // The legend, centred under the dates.
    int legendWidth = 0;
    for (const Series &s : mSeries)
        legendWidth += 24 + fm.horizontalAdvance(s.name) + 16;
    double x = (width() - legendWidth + 16) / 2.0;
    const double y = height() - kMargin - fm.height() / 2.0;
    for (int s = 0; s < mSeries.size(); ++s) {
        painter.setPen(QPen(SeriesColor(s), 3));
        painter.drawLine(QPointF(x, y), QPointF(x + 18, y));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QPointF(x + 24, y + (fm.ascent() - fm.descent()) / 2.0), mSeries[s].name);
        x += 24 + fm.horizontalAdvance(mSeries[s].name) + 16;
    }
}
