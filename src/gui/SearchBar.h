#pragma once

#include <QFrame>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>

class SiteGrid;

namespace Ui {
class SearchBar;
}

// The bar over the lower edge of a site list: it finds the first loaded row whose chosen
// column matches a keyword and makes it current, without asking the register again.
// Shown, it shortens the list, so no row and no scroll bar hides under it.
class SearchBar : public QFrame
{
    Q_OBJECT
public:
    // What a search over a list that is not loaded means to the window.
    enum class UnloadedList { FindsNothing, Fails };

    explicit SearchBar(QWidget *parent = nullptr);
    ~SearchBar() override;

    // The list the bar lies over and searches, the message of a search that cannot run,
    // and how a list not loaded is taken. Leaves the bar hidden.
    void attachTo(SiteGrid *grid, const QString &failureMessage, UnloadedList unloaded);

    // The expiry window's bar: each control at its own size, no narrower than a minimum, evenly
    // spaced, instead of the main window's fixed sizes and gaps.
    void arrangeLoosely();

    void setBarShown(bool shown);
    void toggle();

    // Runs work now or, while a keyword is being typed, once the typing pauses, so a list read
    // again under the bar never interrupts it; newer work replaces work still waiting.
    void whenNotTyping(std::function<void()> work);

private:
    void search();
    // False when the search cannot run: the keyword is no value of the column, or the list fails.
    bool moveToFirstMatch();

    std::unique_ptr<Ui::SearchBar> ui;
    SiteGrid *m_grid = nullptr;
    QRect m_gridArea; // the list's place while the bar is hidden
    QString m_failureMessage;
    UnloadedList m_unloaded = UnloadedList::FindsNothing;
    QTimer m_typingPause; // runs from each keystroke in the keyword field
    std::function<void()> m_afterTyping;
};
