#include "gui/SearchBar.h"

#include "gui/Dialogs.h"
#include "gui/SiteGrid.h"
#include "sites/KeywordSearch.h"
#include "store/Query.h"
#include "ui_SearchBar.h"

#include <QBoxLayout>

#include <utility>

SearchBar::SearchBar(QWidget *parent) : QFrame(parent), ui(new Ui::SearchBar)
{
    ui->setupUi(this);
    for (const KeywordSearch::Item &item : KeywordSearch::items())
        ui->searchColumnBox->addItem(item.caption);
    ui->searchColumnBox->setCurrentIndex(KeywordSearch::defaultItem());
    connect(ui->searchButton, &QPushButton::clicked, this, &SearchBar::search);
    connect(ui->keywordEdit, &QLineEdit::returnPressed, this, &SearchBar::search);
    connect(ui->closeSearchButton, &QPushButton::clicked, this, [this] { setBarShown(false); });
    m_typingPause.setSingleShot(true);
    m_typingPause.setInterval(700);
    connect(ui->keywordEdit, &QLineEdit::textEdited, &m_typingPause, qOverload<>(&QTimer::start));
    connect(&m_typingPause, &QTimer::timeout, this, [this] {
        if (m_afterTyping)
            std::exchange(m_afterTyping, nullptr)();
    });
}

SearchBar::~SearchBar() = default;

void SearchBar::attachTo(SiteGrid *grid, const QString &failureMessage, UnloadedList unloaded)
{
    m_grid = grid;
    m_gridArea = grid->geometry();
    m_failureMessage = failureMessage;
    m_unloaded = unloaded;
    // The bar's controls come right after the list they search in the tab order.
    QWidget *previous = grid;
    for (QWidget *next : std::initializer_list<QWidget *>{ui->searchColumnBox, ui->keywordEdit,
                                                          ui->searchButton, ui->closeSearchButton}) {
        setTabOrder(previous, next);
        previous = next;
    }
    setBarShown(false);
}

void SearchBar::arrangeLoosely()
{
    auto *row = static_cast<QBoxLayout *>(layout());
    row->setContentsMargins(10, 5, 10, 5);
    row->setSpacing(8);
    for (QSpacerItem *gap :
         {ui->captionGap, ui->columnGap, ui->keywordCaptionGap, ui->keywordGap, ui->buttonGap}) {
        row->removeItem(gap);
        delete gap;
    }
    const auto looseSize = [](QWidget *control, QSize minimum) {
        control->setMinimumSize(minimum);
        control->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    };
    for (QLabel *caption : {ui->searchColumnCaption, ui->keywordCaption}) {
        looseSize(caption, QSize());
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    looseSize(ui->searchColumnBox, QSize(150, 0));
    looseSize(ui->keywordEdit, QSize(260, 0));
    looseSize(ui->searchButton, QSize(75, 27));
    looseSize(ui->closeSearchButton, QSize(75, 27));
}

void SearchBar::setBarShown(bool shown)
{
    setVisible(shown);
    QRect area = m_gridArea;
    if (shown)
        area.setBottom(geometry().top() - 3);
    m_grid->setGeometry(area);
    if (shown)
        ui->keywordEdit->setFocus();
}

void SearchBar::toggle()
{
    setBarShown(isHidden());
}

void SearchBar::whenNotTyping(std::function<void()> work)
{
    if (m_typingPause.isActive() && ui->keywordEdit->hasFocus())
        m_afterTyping = std::move(work);
    else
        work();
}

void SearchBar::search()
{
    if (!moveToFirstMatch())
        Dialogs::error(window(), QStringLiteral("提示"), m_failureMessage);
}

bool SearchBar::moveToFirstMatch()
{
    const int index = ui->searchColumnBox->currentIndex();
    const Query *list = m_grid->query();
    if (index < 0 || !list || (!list->isOpen() && m_unloaded == UnloadedList::Fails))
        return false;
    try {
        const KeywordSearch::Result found =
            KeywordSearch::find(*list, KeywordSearch::items().at(index), ui->keywordEdit->text());
        if (!found.usable)
            return false;
        if (found.row >= 0)
            m_grid->setCurrentRow(found.row);
        return true;
    } catch (...) {
        // A list whose rows lack the column cannot be searched by it.
        return false;
    }
}
