#include "Build.h"

#include "Platform.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>

namespace {

const QStringList kFamilies = {QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                               QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")};

class MouseHook final : public QObject
{
public:
    MouseHook(QObject *parent, QEvent::Type type, std::function<void()> action)
        : QObject(parent), mType(type), mAction(std::move(action))
    {
        parent->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == mType && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            mAction();
        return false;
    }

private:
    QEvent::Type mType;
    std::function<void()> mAction;
};

} // namespace

namespace Build {

QFont SongFont(double points, bool bold)
{
    QFont font;
    font.setFamilies(kFamilies);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void Place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

QPushButton *Button(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h, bool bold)
{
    auto *b = Make<QPushButton>(parent, name, l, t, w, h);
    b->setText(caption);
    // Enter on a focused button presses it, as Space does.
    b->setAutoDefault(true);
    if (bold)
        b->setFont(SongFont(9, true));
    return b;
}

QLineEdit *TextBox(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *e = Make<QLineEdit>(parent, name, l, t, w, h);
    e->setText(text);
    e->setCursorPosition(0);
    return e;
}

QCheckBox *CheckBox(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h)
{
    auto *c = Make<QCheckBox>(parent, name, l, t, w, h);
    c->setText(caption);
    return c;
}

QGroupBox *Frame(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h)
{
    auto *f = Make<QGroupBox>(parent, name, l, t, w, h);
    f->setTitle(caption);
    f->setFlat(false);
    // Frames are opaque: the single-site view covers the batch view.
    f->setAutoFillBackground(true);
    return f;
}

FormLabel *Caption(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h)
{
    auto *label = new FormLabel(parent, caption, l, t, w, h);
    label->setObjectName(name);
    label->setFont(SongFont(9, true));
    label->setText(caption);
    return label;
}

FormLabel *Value(QWidget *parent, const QString &name, int l, int t, int w, int h, double points, bool centred)
{
    auto *label = new FormLabel(parent, QStringLiteral("0"), l, t, w, h, centred);
    label->setObjectName(name);
    label->setFont(SongFont(points, true));
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(pal);
    label->setText(QStringLiteral("0"));
    return label;
}

void Stack(const QList<QWidget *> &topFirst)
{
    for (auto it = topFirst.crbegin(); it != topFirst.crend(); ++it)
        (*it)->raise();
    for (QWidget *w : topFirst) {
        if (qobject_cast<QLabel *>(w))
            w->lower();
    }
}

void OnMouse(QWidget *target, QEvent::Type type, std::function<void()> action)
{
    new MouseHook(target, type, std::move(action));
}

} // namespace Build

namespace PathBox {

void FollowEnd(QLineEdit *box)
{
    box->setCursorPosition(box->text().size());
    QObject::connect(box, &QLineEdit::editingFinished, box, [box] { box->setCursorPosition(box->text().size()); });
    QObject::connect(box, &QLineEdit::textChanged, box, &QLineEdit::setToolTip);
}

void Choose(Platform &platform, QLineEdit *box, bool save)
{
    static const QString filter = QStringLiteral("文本文件 (*.txt);;所有文件 (*)");
    const QFileInfo shown(box->text());
    // The dialog opens where the box points, or in the documents folder
    // when that folder is gone.
    QString start = platform.DocumentsFolder();
    if (!box->text().isEmpty() && shown.isDir())
        start = shown.absoluteFilePath();
    else if (!box->text().isEmpty() && shown.absoluteDir().exists())
        start = shown.absoluteFilePath();
    else if (!shown.fileName().isEmpty())
        start = QDir(start).filePath(shown.fileName());
    QWidget *window = box->window();
    const QString chosen = save ? platform.ChooseSaveFile(window, QStringLiteral("保存文件"), start, filter)
                                : platform.ChooseExistingFile(window, QStringLiteral("打开文件"), start, filter);
    if (!chosen.isEmpty())
        box->setText(QDir::toNativeSeparators(QFileInfo(chosen).absoluteFilePath()));
}

void View(Platform &platform, const QLineEdit *box)
{
    const QString path = box->text();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;
    platform.ShellOpen(path);
}

QString Kept(const QSettings &kept, const QString &key, const QString &fallback, const QString &documents)
{
    const QString name = QFileInfo(fallback).fileName();
    return kept.value(key, QDir::toNativeSeparators(QDir(documents).filePath(name))).toString();
}

} // namespace PathBox
