#include "Controls.h"

#include "KeywordModel.h"

#include <QColor>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QRegularExpression>
#include <QTreeView>

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText); // it names domains, which come from lists
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setText(const QString &text)
{
    QLabel::setText(text);
    setToolTip(text);
}

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()) | Qt::TextSingleLine, shownText());
}

FormLabel::FormLabel(QWidget *parent, const QString &caption, int left, int top, int width, int height, bool centred)
    : QLabel(parent), mDesign(Px(left), Px(top), Px(width), Px(height)), mCentred(centred)
{
    // Figures come from pages: shown as text, never as markup.
    setTextFormat(Qt::PlainText);
    setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop);
    setGeometry(mDesign);
    setText(caption);
}

void FormLabel::setText(const QString &text)
{
    QLabel::setText(text);
    Fit();
}

void FormLabel::setGapControls(const QList<QWidget *> &controls)
{
    for (QWidget *w : controls) {
        mGaps.append(w);
        w->installEventFilter(this);
    }
    Fit();
}

QStringList FormLabel::Pieces() const
{
    static const QRegularExpression gap(QStringLiteral(" {2,}"));
    return text().split(gap);
}

int FormLabel::PieceX(int index) const
{
    if (index == 0 || index > mGaps.size() || !mGaps[index - 1])
        return 0;
    return mGaps[index - 1]->geometry().right() + 1 - x() + 3;
}

void FormLabel::Fit()
{
    const QFontMetrics fm(font());
    int width = 0;
    if (mGaps.isEmpty()) {
        width = sizeHint().width();
    } else {
        const QStringList pieces = Pieces();
        for (int i = 0; i < pieces.size(); ++i)
            width = qMax(width, PieceX(i) + fm.horizontalAdvance(pieces[i]) + 2);
    }
    QRect r = mDesign;
    r.setWidth(qMax(mDesign.width(), width));
    r.setHeight(qMax(mDesign.height(), sizeHint().height()));
    if (mCentred)
        r.moveLeft(mDesign.center().x() - r.width() / 2);
    if (r != geometry())
        setGeometry(r);
    update();
}

void FormLabel::paintEvent(QPaintEvent *event)
{
    if (mGaps.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    const QStringList pieces = Pieces();
    const int ascent = QFontMetrics(font()).ascent();
    for (int i = 0; i < pieces.size(); ++i)
        painter.drawText(PieceX(i), ascent, pieces[i]);
}

void FormLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        Fit();
}

bool FormLabel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        Fit();
    return QLabel::eventFilter(watched, event);
}

WindowTimer::WindowTimer(QObject *parent, bool enabled, int interval)
    : QObject(parent), mEnabled(enabled), mInterval(interval)
{
    mTimer.setTimerType(Qt::PreciseTimer);
    connect(&mTimer, &QTimer::timeout, this, &WindowTimer::Timer);
    Apply();
}

void WindowTimer::setEnabled(bool enabled)
{
    if (enabled == mEnabled)
        return;
    mEnabled = enabled;
    Apply();
}

void WindowTimer::setInterval(int interval)
{
    if (interval == mInterval)
        return;
    mInterval = interval;
    Apply();
}

void WindowTimer::Apply()
{
    if (mEnabled && mInterval > 0)
        mTimer.start(mInterval);
    else
        mTimer.stop();
}

void SetUpTable(QTreeView *table, QAbstractItemModel *model, const QList<int> &widths)
{
    table->setModel(model);
    table->setRootIsDecorated(false);
    table->setUniformRowHeights(true);
    table->setItemsExpandable(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setAllColumnsShowFocus(true);
    table->setSortingEnabled(false);
    // Sorting off also makes the header deaf to clicks; the batch table
    // sorts on header clicks of its own.
    table->header()->setSectionsClickable(true);
    table->header()->setSortIndicatorShown(false);
    table->header()->setStretchLastSection(false);
    table->header()->setSectionsMovable(false);
    for (int i = 0; i < widths.size(); ++i)
        table->setColumnWidth(i, widths[i]);
}

RedColumnProxy::RedColumnProxy(KeywordModel *source, QObject *parent) : QIdentityProxyModel(parent), mSource(source)
{
    setSourceModel(source);
}

QVariant RedColumnProxy::data(const QModelIndex &index, int role) const
{
    if (role == Qt::ForegroundRole && index.column() == mSource->highlightColumn())
        return QColor(255, 0, 0);
    return QIdentityProxyModel::data(index, role);
}
