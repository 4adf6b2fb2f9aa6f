#pragma once
// How the views put the design's controls together: each control at its
// place in twips, under its design name, in the design's fonts; and the
// few behaviours several controls share (path boxes, mouse hooks).

#include "Controls.h"

#include <QEvent>
#include <QFont>
#include <QList>
#include <QString>

#include <functional>

class Platform;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSettings;

namespace Build {

QFont SongFont(double points, bool bold);
void Place(QWidget *w, int left, int top, int width, int height);
// A control of the design: its name, its parent and its rectangle.
template <typename W> W *Make(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *w = new W(parent);
    w->setObjectName(name);
    Place(w, left, top, width, height);
    return w;
}
QPushButton *Button(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h,
                    bool bold);
QLineEdit *TextBox(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h);
QCheckBox *CheckBox(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h);
QGroupBox *Frame(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h);
// A bold caption, and a figure in red.
FormLabel *Caption(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h);
FormLabel *Value(QWidget *parent, const QString &name, int l, int t, int w, int h, double points, bool centred);
// Earlier in the design's list lies above later; labels lie beneath all.
void Stack(const QList<QWidget *> &topFirst);
// A left button event of this type on target calls action.
void OnMouse(QWidget *target, QEvent::Type type, std::function<void()> action);

} // namespace Build

namespace PathBox {

// The box shows the end of a long path, the file name, and the whole of it a hover away.
void FollowEnd(QLineEdit *box);
// The open dialog for a list, the save dialog for a results file, starting where the box points.
void Choose(Platform &platform, QLineEdit *box, bool save);
// Opens the file the box names, if there is one.
void View(Platform &platform, const QLineEdit *box);
// A kept path; the first start puts the file of this name in the documents folder.
QString Kept(const QSettings &kept, const QString &key, const QString &fallback, const QString &documents);

} // namespace PathBox
