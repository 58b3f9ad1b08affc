#include "gui/Dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace {

QMessageBox::Icon toQtIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    case Dialogs::Icon::Exclamation:
        return QMessageBox::Warning;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString shownText(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

class RealBackend : public Dialogs::Backend
{
public:
    Dialogs::Answer message(QWidget *parent, const QString &caption, const QString &text, Dialogs::Icon icon,
                            Dialogs::Buttons buttons) override
    {
        QMessageBox box(toQtIcon(icon), caption, shownText(text),
                        buttons == Dialogs::Buttons::Ok ? QMessageBox::Ok
                                                        : QMessageBox::Ok | QMessageBox::Cancel,
                        parent);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        return box.exec() == QMessageBox::Ok ? Dialogs::Answer::Ok : Dialogs::Answer::Cancel;
    }

    void noticeToCopy(QWidget *parent, const QString &caption, const QString &text) override
    {
        QMessageBox box(QMessageBox::Warning, caption, shownText(text), QMessageBox::Ok, parent);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box.exec();
    }

    bool saveFile(QWidget *parent, const QStringList &filters, Dialogs::SaveChoice &choice) override
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilters(filters);
        if (!choice.folder.isEmpty())
            dialog.setDirectory(choice.folder);
        if (choice.filterIndex >= 1 && choice.filterIndex <= filters.size())
            dialog.selectNameFilter(filters.at(choice.filterIndex - 1));
        dialog.selectFile(choice.fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        choice.fileName = dialog.selectedFiles().constFirst();
        choice.filterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
        return true;
    }

    void openAddress(const QString &address) override
    {
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    }

    // Queued: a request made before the message loop runs (the login window's first
    // showing) would otherwise be lost, and the program would go on running.
    // exit() rather than quit(): quit() first asks every window to close, and the login
    // and main windows refuse their close, so the program would never end.
    void terminate() override
    {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    }
};

RealBackend &realBackend()
{
    static RealBackend backend;
    return backend;
}

Dialogs::Backend *&currentBackend()
{
    static Dialogs::Backend *backend = nullptr;
    return backend;
}

Dialogs::Backend &backend()
{
    Dialogs::Backend *installed = currentBackend();
    return installed ? *installed : realBackend();
}

} // namespace

namespace Dialogs {

void setBackend(Backend *replacement)
{
    currentBackend() = replacement;
}

Answer message(QWidget *parent, const QString &caption, const QString &text, Icon icon, Buttons buttons)
{
    return backend().message(parent, caption, text, icon, buttons);
}

void error(QWidget *parent, const QString &caption, const QString &text)
{
    message(parent, caption, text, Icon::Error);
}

void notice(QWidget *parent, const QString &caption, const QString &text)
{
    message(parent, caption, text, Icon::Exclamation);
}

bool confirm(QWidget *parent, const QString &caption, const QString &text)
{
    return message(parent, caption, text, Icon::Question, Buttons::OkCancel) == Answer::Ok;
}

void noticeToCopy(QWidget *parent, const QString &caption, const QString &text)
{
    backend().noticeToCopy(parent, caption, text);
}

bool saveFile(QWidget *parent, const QStringList &filters, SaveChoice &choice)
{
    return backend().saveFile(parent, filters, choice);
}

void openAddress(const QString &address)
{
    backend().openAddress(address);
}

void requestTerminate()
{
    backend().terminate();
}

} // namespace Dialogs
