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

inline QString cutOff(QWidget *widget)
{
    const QSize size = widget->size();
    if (const auto *label = qobject_cast<QLabel *>(widget)) {
        const int needed =
            label->wordWrap() ? label->heightForWidth(size.width()) : label->sizeHint().height();
        if (needed > size.height() || (!label->wordWrap() && label->sizeHint().width() > size.width()))
            return QStringLiteral("text needs %1x%2 px").arg(label->sizeHint().width()).arg(needed);
    } else if (qobject_cast<QAbstractButton *>(widget)) {
        if (widget->sizeHint().width() > size.width() || widget->sizeHint().height() > size.height())
            return QStringLiteral("caption needs %1x%2 px")
                .arg(widget->sizeHint().width())
                .arg(widget->sizeHint().height());
    } else if (widget->minimumSizeHint().height() > size.height()) {
        return QStringLiteral("needs %1 px in height").arg(widget->minimumSizeHint().height());
    }
    if (!widget->parentWidget()->rect().contains(widget->geometry()))
        return QStringLiteral("reaches out of its parent");
    return QString();
}

} // namespace WindowControlsDetail

// Every control the window shows now whose text is cut off, that reaches out of its parent or
// that lies over a sibling, with what is wrong; empty when the window is laid out soundly.
// The window's look (style sheet, fonts) must be in place, and the window shown.
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
