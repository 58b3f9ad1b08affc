#include "gui/MainWindow.h"

#include "gui/Dialogs.h"
#include "gui/ExpiryCounterBar.h"
#include "gui/ExportCommand.h"
#include "gui/WindowHelpers.h"
#include "legacy/JetConversionError.h"
#include "platform/Maker.h"
#include "platform/ProgramFolder.h"
#include "secrets/TrailerStore.h"
#include "sites/KeyChange.h"
#include "sites/KeywordSearch.h"
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

    ui->DBGrid1->setColumns(SiteGrid::mainListColumns());
    ui->DBGrid1->setMultiSelect(true);
    ui->DBGrid1->setQuery(m_register.mainList());

    buildGridMenu();
    connectHandlers();
    setActionSetEnabled(false);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildGridMenu()
{
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addActions({ui->N4, ui->N5, ui->N6});
    PopupMenu2->addSeparator();
    PopupMenu2->addActions({ui->N12, ui->N17, ui->N10});
    PopupMenu2->addSeparator();
    PopupMenu2->addActions({ui->N8, ui->N9});
    PopupMenu2->addSeparator();
    PopupMenu2->addActions({ui->N18, ui->N16});
}

void MainWindow::connectHandlers()
{
    const std::pair<QAbstractButton *, void (MainWindow::*)()> buttons[] = {
        {ui->sBitBtn1, &MainWindow::refreshList},     {ui->sBitBtn2, &MainWindow::sBitBtn2Click},
        {ui->sBitBtn3, &MainWindow::sBitBtn3Click},   {ui->sBitBtn4, &MainWindow::sBitBtn4Click},
        {ui->sBitBtn5, &MainWindow::sBitBtn5Click},   {ui->sBitBtn6, &MainWindow::sBitBtn6Click},
        {ui->sBitBtn7, &MainWindow::sBitBtn7Click},   {ui->sBitBtn8, &MainWindow::sBitBtn8Click},
        {ui->sBitBtn9, &MainWindow::sBitBtn9Click},   {ui->sBitBtn10, &MainWindow::sBitBtn10Click},
        {ui->sBitBtn11, &MainWindow::sBitBtn11Click}, {ui->sBitBtn12, &MainWindow::sBitBtn12Click},
        {ui->sBitBtn13, &MainWindow::sBitBtn13Click}, {ui->sBitBtn14, &MainWindow::sBitBtn14Click},
        {ui->sBitBtn15, &MainWindow::sBitBtn15Click}, {ui->sBitBtn16, &MainWindow::sBitBtn16Click},
        {ui->sBitBtn17, &MainWindow::quitRequested},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QAbstractButton::clicked, this, handler);

    // A menu item runs the handler of the button with the same caption.
    const std::pair<QAction *, void (MainWindow::*)()> items[] = {
        {ui->N4, &MainWindow::sBitBtn2Click},   {ui->N5, &MainWindow::sBitBtn3Click},
        {ui->N6, &MainWindow::sBitBtn4Click},   {ui->N12, &MainWindow::refreshList},
        {ui->N17, &MainWindow::sBitBtn14Click}, {ui->N10, &MainWindow::sBitBtn7Click},
        {ui->N8, &MainWindow::sBitBtn5Click},   {ui->N9, &MainWindow::sBitBtn6Click},
        {ui->N18, &MainWindow::sBitBtn16Click}, {ui->N16, &MainWindow::sBitBtn15Click},
    };
    for (const auto &[action, handler] : items)
        connect(action, &QAction::triggered, this, handler);

    connect(ui->DBGrid1, &SiteGrid::gridDoubleClicked, this, &MainWindow::sBitBtn14Click);
    connect(ui->DBGrid1, &SiteGrid::rowsLost, this, [this] { setActionSetEnabled(false); });
    connect(ui->DBGrid1, &SiteGrid::readAgainWanted, this, &MainWindow::readListAgain);
    connect(ui->DBGrid1, &SiteGrid::menuRequested, PopupMenu2,
            [this](const QPoint &at) { PopupMenu2->popup(at); });
    connect(ui->sEdit1, &QLineEdit::returnPressed, this, &MainWindow::sBitBtn10Click);
}

void MainWindow::setActionSetEnabled(bool enabled)
{
    for (QWidget *button :
         {ui->sBitBtn3, ui->sBitBtn4, ui->sBitBtn5, ui->sBitBtn6, ui->sBitBtn7, ui->sBitBtn9, ui->sBitBtn14})
        button->setEnabled(enabled);
    for (QAction *action : {ui->N5, ui->N6, ui->N8, ui->N9, ui->N10, ui->N17})
        action->setEnabled(enabled);
}

// Frame.

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    FormShow();
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

void MainWindow::FormShow()
{
    if (m_prepared)
        return;
    try {
        Connection *connection = m_register.connection();
        connection->close();
        ui->DBGrid1->reload();
        connection->setConnectionString(Connection::connectionStringFor(ProgramFolder::path()));
        connection->open();
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
        failPreparation(QString());
    }
    emit preparationFinished(m_prepared);
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

void MainWindow::loadList()
{
    Query *list = m_register.mainList();
    list->close();
    list->open();
    ui->DBGrid1->reload();
    const int rows = list->recordCount();
    ui->sLabel3->setText(QString::number(rows));
    if (rows > 0)
        setActionSetEnabled(true);
}

// A list that could not be read shows no rows, claims none and offers nothing to act on.
void MainWindow::emptyList()
{
    m_register.mainList()->close();
    ui->DBGrid1->reload();
    ui->sLabel3->setText(NeverCounted);
    setActionSetEnabled(false);
}

void MainWindow::readListAgain(int row)
{
    try {
        loadList();
        ui->DBGrid1->setCurrentRow(qMin(row, ui->DBGrid1->rowCount() - 1));
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

void MainWindow::sBitBtn5Click()
{
    openAddress(ui->DBGrid1->currentText(QStringLiteral("web_address")));
}

void MainWindow::sBitBtn6Click()
{
    openAddress(ui->DBGrid1->currentText(QStringLiteral("web_login")));
}

void MainWindow::sBitBtn2Click()
{
    emit addSiteRequested();
}

void MainWindow::openRecord(bool modify)
{
    try {
        const QString address = ui->DBGrid1->currentText(QStringLiteral("web_address"));
        if (address.isEmpty())
            return;
        emit siteRequested(address, modify);
    } catch (...) {
        // A record that cannot be opened is passed over without a message.
    }
}

void MainWindow::sBitBtn3Click()
{
    openRecord(true);
}

void MainWindow::sBitBtn14Click()
{
    openRecord(false);
}

void MainWindow::sBitBtn4Click()
{
    const QList<int> rows = ui->DBGrid1->selectedRowNumbers();
    if (rows.isEmpty())
        return;
    const QString question =
        QStringLiteral("确定要删除这") + QString::number(rows.size()) + QStringLiteral("条记录吗？");
    if (Dialogs::confirm(this, Caption, question)) {
        try {
            ui->DBGrid1->deleteRows(rows);
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
    if (ui->DBGrid1->rowCount() > 0)
        return;
    ui->sLabel3->setText(NeverCounted);
    setActionSetEnabled(false);
}

// The search bar.

void MainWindow::showSearchBar(bool show)
{
    ui->sPanel2->setVisible(show);
    // The bar takes the lower edge of the list's group; the list ends above it, so
    // no row and no scroll bar is hidden under the bar.
    QRect area = ui->DBGrid1->geometry();
    area.setBottom(show ? ui->sPanel2->geometry().top() - 3 : ui->sPanel2->geometry().bottom());
    ui->DBGrid1->setGeometry(area);
    if (show)
        ui->sEdit1->setFocus();
}

void MainWindow::sBitBtn9Click()
{
    showSearchBar(ui->sPanel2->isHidden());
}

void MainWindow::sBitBtn11Click()
{
    showSearchBar(false);
}

void MainWindow::sBitBtn10Click()
{
    const QString failed = QStringLiteral("查询失败,请检查关键字格式是否正确\r日期格式：####-##-##");
    const int choice = ui->sComboBox1->currentIndex();
    if (choice < 0 || choice >= KeywordSearch::items().size())
        return;
    try {
        const KeywordSearch::Result found = KeywordSearch::find(
            *m_register.mainList(), KeywordSearch::items().at(choice), ui->sEdit1->text());
        if (!found.usable) {
            Dialogs::error(this, Caption, failed);
            return;
        }
        if (found.row >= 0)
            ui->DBGrid1->setCurrentRow(found.row);
    } catch (...) {
        Dialogs::error(this, Caption, failed);
    }
}

// The way to the other windows.

void MainWindow::sBitBtn13Click()
{
    emit settingsRequested();
}

void MainWindow::sBitBtn15Click()
{
    emit noticeRequested(Notice::Help);
}

void MainWindow::sBitBtn16Click()
{
    emit noticeRequested(Notice::Upgrade);
}

void MainWindow::sBitBtn7Click()
{
    runExportCommand(this, *ui->DBGrid1, m_exportFilterIndex);
}

void MainWindow::sBitBtn8Click()
{
    refreshExpiryCounters(this, *m_register.siteSaves(), m_session,
                          {ui->sLabel5, ui->sLabel7, ui->sBitBtn12});
}

void MainWindow::sBitBtn12Click()
{
    hide();
    emit expiryListRequested();
}
