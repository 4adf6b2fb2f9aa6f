#pragma once
// The few control behaviours Qt does not have as they are: labels that grow
// with their text, legends with gaps that other controls sit in, window
// timers that run only while enabled with a non-zero interval, and cell
// access to report tables by 1-based column.

#include <QLabel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

// Twips to logical pixels (15 twips per pixel at normal density); Qt's own
// high-DPI scaling keeps the layout right on any screen.
constexpr int Px(int twips)
{
    return (twips + 7) / 15;
}

// A label keeps its design rectangle as a minimum and grows with its text,
// so no caption or figure is ever clipped.
class FormLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FormLabel)

public:
    FormLabel(QWidget *parent, const QString &caption, int left, int top, int width, int height,
              bool centred = false);

    void setText(const QString &text); // hides QLabel::setText on purpose

    // A legend whose runs of blanks are gaps where these controls sit: each
    // piece of text is drawn after the control that precedes it.
    void setGapControls(const QList<QWidget *> &controls);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Fit();
    QStringList Pieces() const;
    int PieceX(int index) const;

    QRect mDesign;
    bool mCentred;
    QList<QPointer<QWidget>> mGaps;
};

// A window timer: ticks every Interval ms while Enabled and Interval != 0.
class WindowTimer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowTimer)

public:
    WindowTimer(QObject *parent, bool enabled, int interval);
    bool Enabled() const { return mEnabled; }
    void setEnabled(bool enabled);
    int Interval() const { return mInterval; }
    void setInterval(int interval);
    bool IsRunning() const { return mTimer.isActive(); }

Q_SIGNALS:
    void Timer();

private:
    void Apply();

    QTimer mTimer;
    bool mEnabled;
    int mInterval;
};

// Report-table cells by 1-based column: column 1 is the row's own text.
namespace Cells {
QString Text(const QTreeWidgetItem *row, int column);
void SetText(QTreeWidgetItem *row, int column, const QString &text);
// Row n (1-based) in display order, or nullptr.
QTreeWidgetItem *Row(const QTreeWidget *table, int n);
int RowCount(const QTreeWidget *table);
// Report view, no in-place editing, whole-row selection, the given
// headers and pixel widths; rows and old columns removed first.
void Rebuild(QTreeWidget *table, const QStringList &headers, const QList<int> &widths);
} // namespace Cells
