#pragma once
// The few control behaviours Qt does not have as they are: labels that grow
// with their text, legends with gaps that other controls sit in, window
// timers that run only while enabled with a non-zero interval, and the
// report tables' set-up.

#include <QLabel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

#include <QIdentityProxyModel>

class KeywordModel;
class QAbstractItemModel;
class QTreeView;

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
    FormLabel(QWidget *parent, const QString &caption, int left, int top, int width, int height, bool centred = false);

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

// A line of text that never widens its window: as much as fits is drawn,
// cut in the middle ("…") when it must be, the whole of it a hover away.
class ElidedLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ElidedLabel)

public:
    explicit ElidedLabel(QWidget *parent);
    void setText(const QString &text); // hides QLabel::setText on purpose
    // The text as drawn at the label's present width.
    QString shownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
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

// A report table as the design has it: no root decoration, no in-place
// editing, whole-row single selection, a clickable header that sorts only
// when asked, and the given pixel widths.
void SetUpTable(QTreeView *table, QAbstractItemModel *model, const QList<int> &widths);

// Shows a keyword model with the column its filter tested in red.
class RedColumnProxy final : public QIdentityProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RedColumnProxy)

public:
    explicit RedColumnProxy(KeywordModel *source, QObject *parent = nullptr);
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    KeywordModel *mSource;
};
