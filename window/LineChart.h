#pragma once
// A line chart of values over time, drawn with QPainter: one or two value
// axes (left and right), either of them upside down so that a rank of 1 is
// at the top, a date axis below, a legend, and the point under the pointer
// in a tooltip. Small on purpose: the window needs nothing more, and it
// draws the same on every platform.

#include <QDateTime>
#include <QList>
#include <QWidget>

#include <optional>

class QPainter;

class LineChart final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineChart)

public:
    struct Point
    {
        QDateTime time;
        double value = 0;
    };
    enum class Axis { Left, Right };

    explicit LineChart(QWidget *parent = nullptr);

    void SetTitle(const QString &title);
    void SetAxisTitle(Axis axis, const QString &title);
    // Smaller values higher up (ranks).
    void SetInverted(Axis axis, bool inverted);
    // The axis shows at least low..high, and more when a value lies outside.
    void SetRange(Axis axis, double low, double high);
    // Points in any order; they are joined by time. Returns the series' number.
    int AddSeries(const QString &name, QList<Point> points, Axis axis = Axis::Left);

    int SeriesCount() const { return int(mSeries.size()); }
    QString SeriesName(int series) const { return mSeries.at(series).name; }
    const QList<Point> &Points(int series) const { return mSeries.at(series).points; }
    QColor SeriesColor(int series) const;
    // Where a point is drawn, in the widget's coordinates.
    QPointF Position(int series, int index) const;
    // The point drawn within a few pixels of `at`, as (series, index).
    std::optional<std::pair<int, int>> PointAt(QPoint at) const;

    // Evenly spaced round values (1, 2 or 5 times a power of ten) from at or
    // below low to at or above high, at most `most` + 1 of them.
    static QList<double> Ticks(double low, double high, int most);
    // A value as an axis label: 12000 as "1.2万", 300000000 as "3亿".
    static QString Label(double value);

    QSize sizeHint() const override { return {560, 320}; }
    QSize minimumSizeHint() const override { return {240, 160}; }

protected:
    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *) override;

private:
    struct Series
    {
        QString name;
        QList<Point> points;
        Axis axis;
    };
    struct Scale
    {
        QString title;
        bool inverted = false;
        std::optional<std::pair<double, double>> range;
        QList<double> ticks; // the first and the last are the axis' ends
        bool used = false;
    };
    struct Layout
    {
        QRectF plot;
        QDateTime from, to;
    };
    Scale &ScaleOf(Axis axis) { return mScales[axis == Axis::Right]; }
    const Scale &ScaleOf(Axis axis) const { return mScales[axis == Axis::Right]; }
    void Rescale();
    Layout Place() const;
    QPointF Map(const Layout &layout, const Scale &scale, const Point &p) const;
    // The chart drawn in steps: the value axes and their grid, the dates, the lines and their legend.
    void DrawValueAxes(QPainter &painter, const Layout &layout) const;
    void DrawDateAxis(QPainter &painter, const Layout &layout) const;
    void DrawSeries(QPainter &painter, const Layout &layout) const;

    QString mTitle;
    QList<Series> mSeries;
    Scale mScales[2];
};
