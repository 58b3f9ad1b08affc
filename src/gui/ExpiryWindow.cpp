#include "gui/ExpiryWindow.h"

#include "gui/Dialogs.h"
#include "gui/ExportCommand.h"
#include "gui/ListPlace.h"
#include "gui/RenewalCommand.h"
#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "sites/Session.h"
#include "store/DateText.h"
#include "store/Query.h"
#include "store/SiteRegister.h"
#include "store/Statements.h"
#include "store/StoreError.h"
#include "ui_ExpiryWindow.h"

#include <QCloseEvent>
#include <QMenu>
#include <QScreen>

namespace {

const QString Caption = QStringLiteral("提示");

QList<GridColumn> expiryColumns()
{
    return {
        {QStringLiteral("web_id"), QStringLiteral("网站编号"), 150},
        {QStringLiteral("web_name"), QStringLiteral("网站名称"), 200},
        {QStringLiteral("web_address"), QStringLiteral("网站地址"), 300},
        {QStringLiteral("web_login"), QStringLiteral("网站后台"), 200},
        {QStringLiteral("web_linkman"), QStringLiteral("网站联系人"), 200},
        {QStringLiteral("web_time"), QStringLiteral("空间申请日期"), 200},
        {QStringLiteral("web_endtime"), QStringLiteral("空间到期日期"), 200},
        {QStringLiteral("web_domaintime"), QStringLiteral("域名申请日期"), 200},
        {QStringLiteral("web_enddomaintime"), QStringLiteral("域名到期日期"), 237},
    };
}

} // namespace

ExpiryWindow::ExpiryWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent)
    : QWidget(parent), ui(new Ui::ExpiryWindow), m_register(siteRegister), m_session(session)
{
    ui->setupUi(this);
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ true);
    setFont(WindowHelpers::boldFont());
    setFixedSize(861, 569);

    ui->siteGrid->setMultiSelect(false);
    ui->siteGrid->setColumns(expiryColumns());
    ui->siteGrid->setQuery(m_register.expiryList());
    ui->searchBar->arrangeLoosely();
    ui->searchBar->attachTo(ui->siteGrid, QStringLiteral("查询失败"), SearchBar::UnloadedList::Fails);
    buildGridMenu();
    setListedState(false);
    m_refreshAction->setEnabled(true); // the first query has yet to run

    connect(ui->refreshButton, &QPushButton::clicked, this, &ExpiryWindow::refreshList);
    connect(ui->exportButton, &QPushButton::clicked, this, &ExpiryWindow::exportList);
    connect(ui->detailButton, &QPushButton::clicked, this, &ExpiryWindow::openSelectedSite);
    connect(ui->toggleSearchButton, &QPushButton::clicked, ui->searchBar, &SearchBar::toggle);
    connect(ui->siteGrid, &SiteGrid::gridDoubleClicked, this, &ExpiryWindow::openSelectedSite);
    connect(ui->siteGrid, &SiteGrid::rowsLost, this, [this] { setListedState(false); });
    connect(ui->siteGrid, &SiteGrid::readAgainWanted, this, [this](int row) {
        if (loadList())
            ui->siteGrid->setCurrentRow(qMin(row, ui->siteGrid->rowCount() - 1));
    });
    connect(ui->siteGrid, &SiteGrid::menuRequested, this,
            [this](const QPoint &at) { m_gridMenu->popup(at); });
}

ExpiryWindow::~ExpiryWindow() = default;

void ExpiryWindow::buildGridMenu()
{
    m_gridMenu = new QMenu(this);
    m_gridMenu->setObjectName(QStringLiteral("gridMenu"));
    const auto item = [this](const char *name, const QString &caption, auto *receiver, auto handler) {
        QAction *action = m_gridMenu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, receiver, handler);
        return action;
    };
    m_refreshAction = item("refreshAction", QStringLiteral("刷 新"), this, &ExpiryWindow::refreshList);
    m_gridMenu->addSeparator();
    m_exportAction = item("exportAction", QStringLiteral("导 出"), this, &ExpiryWindow::exportList);
    m_gridMenu->addSeparator();
    m_searchAction = item("searchAction", QStringLiteral("查 询"), ui->searchBar, &SearchBar::toggle);
    m_detailAction = item("detailAction", QStringLiteral("查询明细"), this, &ExpiryWindow::openSelectedSite);
    m_gridMenu->addSeparator();
    addRenewalItems();
    m_gridMenu->addSeparator();
    item("helpAction", QStringLiteral("在线帮助"), this, &ExpiryWindow::showHelp);
}

void ExpiryWindow::setListedState(bool rowsListed)
{
    for (QWidget *button : {ui->exportButton, ui->detailButton, ui->toggleSearchButton})
        button->setEnabled(rowsListed);
    for (QAction *action : {m_refreshAction, m_exportAction, m_searchAction, m_detailAction})
        action->setEnabled(rowsListed);
    for (QAction *action : std::as_const(m_renewalActions))
        action->setEnabled(rowsListed);
    if (!rowsListed)
        ui->searchBar->setBarShown(false);
}

void ExpiryWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_placed && screen()) {
        m_placed = true;
        WindowHelpers::centreOnScreen(this);
    }
}

void ExpiryWindow::refreshList()
{
    if (!loadList())
        Dialogs::error(this, Caption, QStringLiteral("查询失败"));
}

// The rows due by the cut-offs of the last counter refresh.
bool ExpiryWindow::loadList()
{
    Query *list = m_register.expiryList();
    list->close();
    list->setSql(Statements::ExpiryList);
    ui->siteGrid->reload();
    list->setParameterDate(QStringLiteral("web_endtime"), m_session.hostingCutOff());
    list->setParameterDate(QStringLiteral("web_enddomaintime"), m_session.domainCutOff());
    try {
        list->open();
    } catch (const StoreError &) {
        list->close();
        ui->siteGrid->reload();
        setListedState(false);
        return false;
    }
    ui->siteGrid->reload();
    setListedState(list->recordCount() > 0);
    return true;
}

void ExpiryWindow::reloadAfterChange()
{
    if (!m_register.expiryList()->isOpen())
        return;
    const ListPlace place(*ui->siteGrid);
    if (loadList())
        place.restore(*ui->siteGrid);
}

void ExpiryWindow::followOtherDesks()
{
    ui->searchBar->whenNotTyping([this] { reloadAfterChange(); });
}

// For each kind: one year at once, or one to ten from a submenu.
void ExpiryWindow::addRenewalItems()
{
    const std::pair<const char *, Renewal::Kind> kinds[] = {{"hosting", Renewal::Kind::Hosting},
                                                            {"domain", Renewal::Kind::Domain}};
    for (const auto &[name, kind] : kinds) {
        const QString prefix =
            kind == Renewal::Kind::Hosting ? QStringLiteral("空间续费") : QStringLiteral("域名续费");
        QAction *oneYear = m_gridMenu->addAction(prefix + QStringLiteral("一年"));
        oneYear->setObjectName(QLatin1String(name) + QStringLiteral("RenewAction"));
        connect(oneYear, &QAction::triggered, this, [this, kind = kind] { renewCurrentSite(kind, 1); });
        QMenu *years = RenewalCommand::yearsMenu(this, QString(), 2,
                                                 [this, kind = kind](int n) { renewCurrentSite(kind, n); });
        years->setObjectName(QLatin1String(name) + QStringLiteral("RenewYearsMenu"));
        years->setTitle(prefix + QStringLiteral("多年"));
        m_renewalActions << oneYear << m_gridMenu->addMenu(years);
    }
}

void ExpiryWindow::renewCurrentSite(Renewal::Kind kind, int years)
{
    const QString address = ui->siteGrid->currentText(QStringLiteral("web_address"));
    if (address.isEmpty())
        return;
    const QString column =
        kind == Renewal::Kind::Hosting ? QStringLiteral("web_endtime") : QStringLiteral("web_enddomaintime");
    const QDate shown = DateText::parse(ui->siteGrid->currentText(column));
    RenewalCommand::run(this, *m_register.siteSaves(), address, kind, shown, years,
                        [this](const Renewal::Result &result) {
                            if (result.outcome == Renewal::Outcome::Renewed)
                                emit siteRenewed();
                            reloadAfterChange();
                        });
}

void ExpiryWindow::exportList()
{
    runExportCommand(this, *ui->siteGrid, m_exportFilterIndex);
}

void ExpiryWindow::openSelectedSite()
{
    const QString address = ui->siteGrid->currentText(QStringLiteral("web_address"));
    if (address.isEmpty())
        return;
    emit siteRequested(address);
}

void ExpiryWindow::showHelp()
{
    Dialogs::message(this, QStringLiteral("在线帮助"),
                     QStringLiteral("网站：") + Maker::webAddress() + QStringLiteral("\r邮箱：") +
                         Maker::email(),
                     Dialogs::Icon::Exclamation);
}

// Back to the main window, whose list may have changed meanwhile.
void ExpiryWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        emit closed();
}
