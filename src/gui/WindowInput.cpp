#include "gui/WindowInput.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>

#include <limits>

namespace {

// Outside a dialog a push button ignores Enter; Escape reaches the window only when the
// focused control has no use for it (an open list or popup keeps it).
class WindowKeys : public QObject
{
public:
    WindowKeys(QWidget *window, WindowInput::Escape escape)
        : QObject(window), m_window(window), m_escapeCloses(escape == WindowInput::Escape::ClosesWindow)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<const QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        auto *button = qobject_cast<QAbstractButton *>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            // A held key presses once, as Space does.
            if (!key->isAutoRepeat())
                button->click();
            return true;
        }
        if (watched == m_window && m_escapeCloses && key->key() == Qt::Key_Escape) {
            m_window->close();
            return true;
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_escapeCloses;
};

} // namespace

namespace WindowInput {

void prepare(QWidget *window, Escape escape)
{
    auto *keys = new WindowKeys(window, escape);
    window->installEventFilter(keys);
    for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
        button->installEventFilter(keys);
    // A line edit cuts its text at 32,767 characters unless told otherwise, and a cut
    // there would be stored without a word.
    for (QLineEdit *field : window->findChildren<QLineEdit *>())
        field->setMaxLength(std::numeric_limits<int>::max());
}

} // namespace WindowInput
