#include "DialogRecorder.h"

#include <QTest>

DialogRecorder::DialogRecorder()
{
    Dialogs::setBackend(this);
}

DialogRecorder::~DialogRecorder()
{
    Dialogs::setBackend(nullptr);
    if (unusedAnswers() != 0)
        QTest::qFail("a scripted dialog answer was left unused", __FILE__, __LINE__);
}

void DialogRecorder::scriptAnswer(Dialogs::Answer answer)
{
    m_answers.enqueue(answer);
}

void DialogRecorder::scriptSave(const QString &fileName, int filterIndex)
{
    m_saves.enqueue({true, {fileName, filterIndex}});
}

void DialogRecorder::scriptSaveCancel()
{
    m_saves.enqueue({false, {}});
}

DialogRecorder::Message DialogRecorder::lastMessage() const
{
    return m_messages.isEmpty() ? Message{} : m_messages.constLast();
}

QStringList DialogRecorder::texts() const
{
    QStringList result;
    for (const Message &message : m_messages)
        result << message.text;
    return result;
}

void DialogRecorder::clear()
{
    m_messages.clear();
    m_addresses.clear();
    m_saveRequests.clear();
    m_terminates = 0;
}

Dialogs::Answer DialogRecorder::message(QWidget *, const QString &caption, const QString &text,
                                        Dialogs::Icon icon, Dialogs::Buttons buttons)
{
    m_messages.append({caption, text, icon, buttons});
    if (buttons == Dialogs::Buttons::Ok)
        return Dialogs::Answer::Ok;
    if (m_answers.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("unscripted confirmation: ") + text), __FILE__, __LINE__);
        return Dialogs::Answer::Cancel;
    }
    return m_answers.dequeue();
}

bool DialogRecorder::saveFile(QWidget *, const QStringList &, Dialogs::SaveChoice &choice)
{
    m_saveRequests.append(choice);
    if (m_saves.isEmpty()) {
        QTest::qFail("unscripted save dialog", __FILE__, __LINE__);
        return false;
    }
    const SaveScript script = m_saves.dequeue();
    if (script.accept)
        choice = script.choice;
    return script.accept;
}

void DialogRecorder::openAddress(const QString &address)
{
    m_addresses.append(address);
}

void DialogRecorder::terminate()
{
    ++m_terminates;
}
