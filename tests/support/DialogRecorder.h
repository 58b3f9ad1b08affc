#pragma once

#include "gui/Dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

// Stands in for every message box, the save dialog, the desktop shell and the
// request to terminate: answers come from a FIFO script, and everything is kept
// for assertions. A scripted answer left unused fails the test.
class DialogRecorder : public Dialogs::Backend
{
public:
    struct Message
    {
        QString caption;
        QString text;
        Dialogs::Icon icon;
        Dialogs::Buttons buttons;
    };

    DialogRecorder();
    ~DialogRecorder() override;

    // Answers for the next confirmations (OK/Cancel boxes), in order. Plain OK boxes need no answer.
    void scriptAnswer(Dialogs::Answer answer);
    // The next save dialog: accepted with this name and filter entry, or cancelled.
    void scriptSave(const QString &fileName, int filterIndex);
    void scriptSaveCancel();

    QList<Message> messages() const { return m_messages; }
    Message lastMessage() const;
    QStringList texts() const;
    int count() const { return int(m_messages.size()); }
    void clear();

    QStringList openedAddresses() const { return m_addresses; }
    int terminateRequests() const { return m_terminates; }
    QList<Dialogs::SaveChoice> saveRequests() const { return m_saveRequests; }
    // Script entries not consumed yet.
    int unusedAnswers() const { return int(m_answers.size() + m_saves.size()); }

    Dialogs::Answer message(QWidget *parent, const QString &caption, const QString &text, Dialogs::Icon icon,
                            Dialogs::Buttons buttons) override;
    bool saveFile(QWidget *parent, const QStringList &filters, Dialogs::SaveChoice &choice) override;
    void openAddress(const QString &address) override;
    void terminate() override;

private:
    struct SaveScript
    {
        bool accept;
        Dialogs::SaveChoice choice;
    };
    QQueue<Dialogs::Answer> m_answers;
    QQueue<SaveScript> m_saves;
    QList<Message> m_messages;
    QStringList m_addresses;
    QList<Dialogs::SaveChoice> m_saveRequests;
    int m_terminates = 0;
};
