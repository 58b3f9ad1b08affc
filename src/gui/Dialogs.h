#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every message box, the save dialog, opening an address and the request to
// terminate go through here, so tests can answer and observe them.
namespace Dialogs {

enum class Icon { None, Error, Exclamation, Question };
enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

struct SaveChoice
{
    QString fileName;
    int filterIndex = 1; // 1-based entry of the filter list
    QString folder;      // where the dialog starts
};

class Backend
{
public:
    virtual ~Backend() = default;
    virtual Answer message(QWidget *parent, const QString &caption, const QString &text, Icon icon,
                           Buttons buttons) = 0;
    // Returns false when the dialog was cancelled.
    virtual bool saveFile(QWidget *parent, const QStringList &filters, SaveChoice &choice) = 0;
    virtual void openAddress(const QString &address) = 0;
    virtual void terminate() = 0;
    // A notice whose text the user selects and copies; where that makes no difference, a notice.
    virtual void noticeToCopy(QWidget *parent, const QString &caption, const QString &text)
    {
        message(parent, caption, text, Icon::Exclamation, Buttons::Ok);
    }
};

// Installs a backend (tests); nullptr restores the real one.
void setBackend(Backend *backend);

Answer message(QWidget *parent, const QString &caption, const QString &text, Icon icon,
               Buttons buttons = Buttons::Ok);
void error(QWidget *parent, const QString &caption, const QString &text);
void notice(QWidget *parent, const QString &caption, const QString &text);
bool confirm(QWidget *parent, const QString &caption, const QString &text);
void noticeToCopy(QWidget *parent, const QString &caption, const QString &text);
bool saveFile(QWidget *parent, const QStringList &filters, SaveChoice &choice);
// Hands an address to the desktop; one without a scheme is read as a browser's address bar reads it.
void openAddress(const QString &address);
// The one way the program asks the application to terminate.
void requestTerminate();

} // namespace Dialogs
