#include "gui/ExpiryWindow.h"

#include "gui/Dialogs.h"
#include "gui/ExportCommand.h"
#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "sites/KeywordSearch.h"
#include "sites/Session.h"
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

    ui->DBGrid1->setMultiSelect(false);
    ui->DBGrid1->setColumns(expiryColumns());
    ui->DBGrid1->setQuery(m_register.expiryList());
    for (const KeywordSearch::Item &item : KeywordSearch::items())
        ui->sComboBox1->addItem(item.caption);
    ui->sComboBox1->setCurrentIndex(KeywordSearch::defaultItem());
    m_gridArea = ui->DBGrid1->geometry();
    showSearchBar(false);
    buildMenu();
    setListedState(false);
    N1->setEnabled(true); // the first query has yet to run

    connect(ui->sBitBtn4, &QPushButton::clicked, this, &ExpiryWindow::sBitBtn4Click);
    connect(ui->sBitBtn1, &QPushButton::clicked, this, &ExpiryWindow::sBitBtn1Click);
    connect(ui->sBitBtn2, &QPushButton::clicked, this, &ExpiryWindow::sBitBtn2Click);
    connect(ui->sBitBtn3, &QPushButton::clicked, this, &ExpiryWindow::sBitBtn3Click);
    connect(ui->sBitBtn10, &QPushButton::clicked, this, &ExpiryWindow::sBitBtn10Click);
    connect(ui->sBitBtn11, &QPushButton::clicked, this, &ExpiryWindow::sBitBtn11Click);
    connect(ui->sEdit2, &QLineEdit::returnPressed, this, &ExpiryWindow::sBitBtn10Click);
    connect(ui->DBGrid1, &SiteGrid::gridDoubleClicked, this, &ExpiryWindow::sBitBtn2Click);
    connect(ui->DBGrid1, &SiteGrid::rowsLost, this, [this] { setListedState(false); });
    connect(ui->DBGrid1, &SiteGrid::readAgainWanted, this, [this](int row) {
        if (loadList())
            ui->DBGrid1->setCurrentRow(qMin(row, ui->DBGrid1->rowCount() - 1));
    });
    connect(ui->DBGrid1, &SiteGrid::menuRequested, this, [this](const QPoint &at) { PopupMenu1->popup(at); });
}

ExpiryWindow::~ExpiryWindow() = default;

void ExpiryWindow::buildMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char *name, const QString &caption, void (ExpiryWindow::*handler)()) {
        QAction *action = PopupMenu1->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    N1 = item("N1", QStringLiteral("刷 新"), &ExpiryWindow::sBitBtn4Click);
    PopupMenu1->addSeparator();
    N3 = item("N3", QStringLiteral("导 出"), &ExpiryWindow::sBitBtn1Click);
    PopupMenu1->addSeparator();
    N5 = item("N5", QStringLiteral("查 询"), &ExpiryWindow::sBitBtn3Click);
    N6 = item("N6", QStringLiteral("查询明细"), &ExpiryWindow::sBitBtn2Click);
    PopupMenu1->addSeparator();
    N8 = item("N8", QStringLiteral("在线帮助"), &ExpiryWindow::N8Click);
}

void ExpiryWindow::setListedState(bool rowsListed)
{
    for (QWidget *button : {ui->sBitBtn1, ui->sBitBtn2, ui->sBitBtn3})
        button->setEnabled(rowsListed);
    for (QAction *action : {N1, N3, N5, N6})
        action->setEnabled(rowsListed);
    if (!rowsListed)
        showSearchBar(false);
}

void ExpiryWindow::showSearchBar(bool show)
{
    ui->sPanel2->setVisible(show);
    // The bar takes the lower edge of the grid's group; the grid ends above it, so no
    // row and no scroll bar is hidden under the bar.
    QRect area = m_gridArea;
    if (show)
        area.setBottom(ui->sPanel2->geometry().top() - 3);
    ui->DBGrid1->setGeometry(area);
    if (show)
        ui->sEdit2->setFocus();
}

void ExpiryWindow::refreshList()
{
    sBitBtn4Click();
}

void ExpiryWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_placed && screen()) {
        m_placed = true;
        WindowHelpers::centreOnScreen(this);
    }
}

void ExpiryWindow::sBitBtn4Click()
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
    ui->DBGrid1->reload();
    list->setParameterDate(QStringLiteral("web_endtime"), m_session.hostingCutOff());
    list->setParameterDate(QStringLiteral("web_enddomaintime"), m_session.domainCutOff());
    try {
        list->open();
    } catch (const StoreError &) {
        list->close();
        ui->DBGrid1->reload();
        setListedState(false);
        return false;
    }
    ui->DBGrid1->reload();
    setListedState(list->recordCount() > 0);
    return true;
}

void ExpiryWindow::sBitBtn1Click()
{
    runExportCommand(this, *ui->DBGrid1, m_exportFilterIndex);
}

void ExpiryWindow::sBitBtn2Click()
{
    const QString address = ui->DBGrid1->currentText(QStringLiteral("web_address"));
    if (address.isEmpty())
        return;
    emit siteRequested(address);
}

void ExpiryWindow::sBitBtn3Click()
{
    showSearchBar(ui->sPanel2->isHidden());
}

void ExpiryWindow::sBitBtn10Click()
{
    const int index = ui->sComboBox1->currentIndex();
    const Query &list = *m_register.expiryList();
    if (index < 0 || !list.isOpen()) {
        Dialogs::error(this, Caption, QStringLiteral("查询失败"));
        return;
    }
    const KeywordSearch::Result found =
        KeywordSearch::find(list, KeywordSearch::items().at(index), ui->sEdit2->text());
    if (!found.usable) {
        Dialogs::error(this, Caption, QStringLiteral("查询失败"));
        return;
    }
    if (found.row >= 0)
        ui->DBGrid1->setCurrentRow(found.row);
}

void ExpiryWindow::sBitBtn11Click()
{
    showSearchBar(false);
}

void ExpiryWindow::N8Click()
{
    Dialogs::message(this, QStringLiteral("在线帮助"),
                     QStringLiteral("网站：") + Maker::webAddress() + QStringLiteral("\r邮箱：") +
                         Maker::email(),
                     Dialogs::Icon::Exclamation);
}

void ExpiryWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        FormClose();
}

// Back to the main window, whose list may have changed meanwhile.
void ExpiryWindow::FormClose()
{
    emit closed();
}
