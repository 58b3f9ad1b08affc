#pragma once

#include <QLatin1String>
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
