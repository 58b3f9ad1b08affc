#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QLatin1String>
#include <QStringList>
#include <QWidget>
#include <QtGlobal>

// A window's control by its objectName. A missing control ends the run at once: every
// check after it would only report the same absence.
template <typename T = QWidget> T *control(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

namespace WindowControlsDetail {

// The window's own controls as shown now: named ones, not the parts Qt builds inside its widgets.
inline QList<QWidget *> shownControls(QWidget *window)
{
    QList<QWidget *> shown;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && widget->isVisibleTo(window))
            shown << widget;
    }
    return shown;
}

// What a control needs to show all of its text; a wrapped label only its height at its width.
inline QSize neededSize(const QWidget *widget)
{
    const auto *label = qobject_cast<const QLabel *>(widget);
    if (label && label->wordWrap())
        return QSize(0, label->heightForWidth(widget->width()));
    if (label || qobject_cast<const QAbstractButton *>(widget))
        return widget->sizeHint();
    return QSize(0, widget->minimumSizeHint().height());
}

inline QString cutOff(const QWidget *widget)
{
    const QSize needed = neededSize(widget);
    if (needed.width() > widget->width() || needed.height() > widget->height())
        return QStringLiteral("needs %1x%2 px").arg(needed.width()).arg(needed.height());
    if (!widget->parentWidget()->rect().contains(widget->geometry()))
        return QStringLiteral("reaches out of its parent");
    return QString();
}

} // namespace WindowControlsDetail

// Every control the window shows now whose text is cut off, that reaches out of its parent or
// that lies over a sibling, with what is wrong; empty when the window is laid out soundly.
// The window's look (style sheet, fonts) must be in place, and a window with layouts shown.
inline QStringList layoutFaults(QWidget *window)
{
    using namespace WindowControlsDetail;
    window->ensurePolished();
    QStringList faults;
    const QList<QWidget *> controls = shownControls(window);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget *widget = controls.at(i);
        if (const QString fault = cutOff(widget); !fault.isEmpty())
            faults << widget->objectName() + QStringLiteral(": ") + fault;
        for (QWidget *other : controls.mid(0, i))
            if (other->parentWidget() == widget->parentWidget() &&
                other->geometry().intersects(widget->geometry()))
                faults << widget->objectName() + QStringLiteral(" lies over ") + other->objectName();
    }
    return faults;
}
