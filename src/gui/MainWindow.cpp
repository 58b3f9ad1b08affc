#include "gui/MainWindow.h"

#include "gui/Dialogs.h"
#include "gui/ExpiryCounterBar.h"
#include "gui/ExportCommand.h"
#include "gui/ListPlace.h"
#include "gui/WindowHelpers.h"
#include "legacy/JetConversionError.h"
#include "platform/Maker.h"
#include "secrets/TrailerStore.h"
#include "sites/KeyChange.h"
#include "sites/Session.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/SiteRegister.h"
#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QMenu>
#include <QWindowStateChangeEvent>

namespace {

const QString Caption = QStringLiteral("提示");
const QString NeverCounted = QStringLiteral("00000");

} // namespace

MainWindow::MainWindow(SiteRegister &siteRegister, Session &session, QWidget *parent)
    : QWidget(parent), ui(new Ui::MainWindow), m_register(siteRegister), m_session(session)
{
    ui->setupUi(this);
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ false);
    setFont(WindowHelpers::boldFont());
    setFixedSize(862, 460);
    WindowHelpers::centreOnScreen(this);
    m_plainTitle = windowTitle();

    ui->siteGrid->setColumns(SiteGrid::mainListColumns());
    ui->siteGrid->setMultiSelect(true);
    ui->siteGrid->setQuery(m_register.mainList());
    ui->searchBar->attachTo(ui->siteGrid,
                            QStringLiteral("查询失败,请检查关键字格式是否正确\r日期格式：####-##-##"),
                            SearchBar::UnloadedList::FindsNothing);

    buildGridMenu();
    connectButtons();
    connectMenuAndGrid();
    setListActionsEnabled(false);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildGridMenu()
{
    m_gridMenu = new QMenu(this);
    m_gridMenu->setObjectName(QStringLiteral("gridMenu"));
    m_gridMenu->addActions({ui->addAction, ui->modifyAction, ui->deleteAction});
    m_gridMenu->addSeparator();
    m_gridMenu->addActions({ui->refreshAction, ui->detailAction, ui->exportAction});
    // The calendar is the whole register's, so it needs no loaded list.
    m_gridMenu->addAction(QStringLiteral("导出日历"), this, &MainWindow::exportCalendar)
        ->setObjectName(QStringLiteral("exportCalendarAction"));
    m_gridMenu->addSeparator();
    m_gridMenu->addActions({ui->visitSiteAction, ui->visitAdminAction});
    m_gridMenu->addSeparator();
    m_gridMenu->addActions({ui->upgradeAction, ui->helpAction});
}

void MainWindow::connectButtons()
{
    const std::pair<QAbstractButton *, void (MainWindow::*)()> buttons[] = {
        {ui->refreshButton, &MainWindow::refreshList},
        {ui->addButton, &MainWindow::addSiteRequested},
        {ui->modifyButton, &MainWindow::modifySelectedSite},
        {ui->deleteButton, &MainWindow::deleteSelectedSites},
        {ui->visitSiteButton, &MainWindow::visitSite},
        {ui->visitAdminButton, &MainWindow::visitAdmin},
        {ui->exportButton, &MainWindow::exportList},
        {ui->countDueButton, &MainWindow::countDueSites},
        {ui->detailButton, &MainWindow::openSelectedSite},
        {ui->expiryListButton, &MainWindow::openExpiryList},
        {ui->settingsButton, &MainWindow::settingsRequested},
        {ui->quitButton, &MainWindow::quitRequested},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QAbstractButton::clicked, this, handler);
    connect(ui->toggleSearchButton, &QAbstractButton::clicked, ui->searchBar, &SearchBar::toggle);
    connect(ui->helpButton, &QAbstractButton::clicked, this, [this] { emit noticeRequested(Notice::Help); });
    connect(ui->upgradeButton, &QAbstractButton::clicked, this,
            [this] { emit noticeRequested(Notice::Upgrade); });
}

void MainWindow::connectMenuAndGrid()
{
    // A menu item does what the button with the same caption does, whatever state the button is in.
    const std::pair<QAction *, QAbstractButton *> items[] = {
        {ui->addAction, ui->addButton},
        {ui->modifyAction, ui->modifyButton},
        {ui->deleteAction, ui->deleteButton},
        {ui->refreshAction, ui->refreshButton},
        {ui->detailAction, ui->detailButton},
        {ui->exportAction, ui->exportButton},
        {ui->visitSiteAction, ui->visitSiteButton},
        {ui->visitAdminAction, ui->visitAdminButton},
        {ui->upgradeAction, ui->upgradeButton},
        {ui->helpAction, ui->helpButton},
    };
    for (const auto &[action, button] : items)
        connect(action, &QAction::triggered, button, &QAbstractButton::clicked);

    connect(ui->siteGrid, &SiteGrid::gridDoubleClicked, this, &MainWindow::openSelectedSite);
    connect(ui->siteGrid, &SiteGrid::rowsLost, this, [this] { setListActionsEnabled(false); });
    connect(ui->siteGrid, &SiteGrid::readAgainWanted, this, &MainWindow::readListAgain);
    connect(ui->siteGrid, &SiteGrid::menuRequested, m_gridMenu,
            [this](const QPoint &at) { m_gridMenu->popup(at); });
}

void MainWindow::setListActionsEnabled(bool enabled)
{
    for (QWidget *button : {ui->modifyButton, ui->deleteButton, ui->visitSiteButton, ui->visitAdminButton,
                            ui->exportButton, ui->toggleSearchButton, ui->detailButton})
        button->setEnabled(enabled);
    for (QAction *action : {ui->modifyAction, ui->deleteAction, ui->visitSiteAction, ui->visitAdminAction,
                            ui->exportAction, ui->detailAction})
        action->setEnabled(enabled);
}

// Frame.

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    prepareRegister();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->ignore();
    emit closeRequested();
}

void MainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !m_prepared)
        return;
    const auto *change = static_cast<const QWindowStateChangeEvent *>(event);
    if ((change->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized) && isVisible())
        emit restoredFromMinimized();
}

void MainWindow::prepareRegister()
{
    if (m_prepared)
        return;
    try {
        Connection *connection = m_register.connection();
        connection->close();
        ui->siteGrid->reload();
        m_register.address().applyTo(*connection);
        connection->open();
        showRegisterInTitle();
        const QString notice = connection->takeConversionNotice();
        if (!notice.isEmpty())
            Dialogs::notice(this, Caption, notice);
        KeyChange::finishInterrupted(connection);
        // A carrier without a record holds no key: the key is empty, and it was read. Preparing
        // again at every showing would close the connection under a loaded list.
        QString key;
        readSecret(SecretStore::secretKey(), key);
        m_session.setSecretKey(key);
        m_prepared = true;
    } catch (const JetConversionError &error) {
        // The earlier installation's register stays as it was; say what stopped the conversion.
        failPreparation(QStringLiteral("\r") + error.message());
    } catch (...) {
        // A register chosen at this desk is named, so the user knows which one failed.
        failPreparation(m_register.addressChosen() ? QStringLiteral("\r") + m_register.address().shownText()
                                                   : QString());
    }
    emit preparationFinished(m_prepared);
}

// Several registers may be in use at one desk (a file, a team's server): the title says which.
void MainWindow::showRegisterInTitle()
{
    bool isProtected = false;
    try {
        isProtected = m_register.connection()->isProtected();
    } catch (...) {
    }
    setWindowTitle(m_plainTitle + QStringLiteral(" - ") + m_register.address().shownText() +
                   (isProtected ? QStringLiteral("（保护模式）") : QString()));
}

void MainWindow::failPreparation(const QString &detail)
{
    Dialogs::error(this, Caption,
                   QStringLiteral("数据库接连失败，请查看数据库文件是否存在") + detail +
                       Maker::contactBlock());
    Dialogs::requestTerminate();
}

// The list and its actions.

void MainWindow::refreshList()
{
    try {
        loadList();
    } catch (...) {
        emptyList();
        Dialogs::error(this, Caption, QStringLiteral("数据刷新出错"));
    }
}

void MainWindow::refreshDue()
{
    refreshList();
    if (const std::optional<ExpiryCounters::Outcome> outcome = countDue())
        emit dueCounted(*outcome);
}

void MainWindow::loadList()
{
    Query *list = m_register.mainList();
    list->open();
    ui->siteGrid->reload();
    const int rows = list->recordCount();
    ui->siteCountLabel->setText(QString::number(rows));
    if (rows > 0)
        setListActionsEnabled(true);
}

// A list that could not be read shows no rows, claims none and offers nothing to act on.
void MainWindow::emptyList()
{
    m_register.mainList()->close();
    ui->siteGrid->reload();
    ui->siteCountLabel->setText(NeverCounted);
    setListActionsEnabled(false);
}

void MainWindow::readListAgain(int row)
{
    try {
        loadList();
        ui->siteGrid->setCurrentRow(qMin(row, ui->siteGrid->rowCount() - 1));
    } catch (...) {
        emptyList();
    }
}

void MainWindow::openAddress(const QString &address)
{
    if (address.isEmpty()) {
        Dialogs::error(this, Caption, QStringLiteral("没有任何网址可以访问"));
        return;
    }
    Dialogs::openAddress(address);
}

void MainWindow::visitSite()
{
    openAddress(ui->siteGrid->currentText(QStringLiteral("web_address")));
}

void MainWindow::visitAdmin()
{
    openAddress(ui->siteGrid->currentText(QStringLiteral("web_login")));
}

void MainWindow::openCurrentSite(bool modify)
{
    try {
        const QString address = ui->siteGrid->currentText(QStringLiteral("web_address"));
        if (address.isEmpty())
            return;
        emit siteRequested(address, modify);
    } catch (...) {
        // A record that cannot be opened is passed over without a message.
    }
}

void MainWindow::deleteSelectedSites()
{
    const QList<int> rows = ui->siteGrid->selectedRowNumbers();
    if (rows.isEmpty())
        return;
    const QString question =
        QStringLiteral("确定要删除这") + QString::number(rows.size()) + QStringLiteral("条记录吗？");
    if (Dialogs::confirm(this, Caption, question)) {
        try {
            ui->siteGrid->deleteRows(rows);
            Dialogs::notice(this, Caption, QStringLiteral("删除成功"));
        } catch (...) {
            Dialogs::error(this, Caption, QStringLiteral("数据删除出错"));
        }
    }
    afterDelete();
}

void MainWindow::afterDelete()
{
    // The count is only redone by a refresh, except that an emptied list starts over.
    if (ui->siteGrid->rowCount() > 0)
        return;
    ui->siteCountLabel->setText(NeverCounted);
    setListActionsEnabled(false);
}

// The export, the counters and the way to the expiry list.

void MainWindow::exportList()
{
    runExportCommand(this, *ui->siteGrid, m_exportFilterIndex);
}

void MainWindow::exportCalendar()
{
    runCalendarExportCommand(this, m_register.connection());
}

void MainWindow::countDueSites()
{
    countDue();
}

std::optional<ExpiryCounters::Outcome> MainWindow::countDue(bool quietly)
{
    return refreshExpiryCounters(quietly ? nullptr : this, *m_register.siteSaves(), m_session,
                                 {ui->hostingDueLabel, ui->domainDueLabel, ui->expiryListButton});
}

void MainWindow::refreshAfterRenewal()
{
    readAgainAfterChange(/*quietly*/ false);
}

void MainWindow::followOtherDesks()
{
    ui->searchBar->whenNotTyping([this] { readAgainAfterChange(/*quietly*/ true); });
}

// Only what the user already has before them is read again: a list never loaded stays so,
// and counters never counted stay unset.
void MainWindow::readAgainAfterChange(bool quietly)
{
    if (m_register.mainList()->isOpen()) {
        const ListPlace place(*ui->siteGrid);
        try {
            loadList();
            place.restore(*ui->siteGrid);
        } catch (...) {
            emptyList();
        }
    }
    if (m_session.hostingCutOff().isValid())
        countDue(quietly);
}

void MainWindow::openExpiryList()
{
    hide();
    emit expiryListRequested();
}
