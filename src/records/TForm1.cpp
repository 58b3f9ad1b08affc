#include "records/TForm1.h"

#include "app/Globals.h"
#include "app/TrayIcon.h"
#include "expiry/ExpiryCounterBar.h"
#include "expiry/TForm4.h"
#include "expiry/TForm5.h"
#include "export/ExportCommand.h"
#include "misc/Maker.h"
#include "misc/TForm7.h"
#include "misc/TForm8.h"
#include "misc/TForm9.h"
#include "misc/WindowLook.h"
#include "misc/WindowPlacement.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "records/KeywordSearch.h"
#include "records/TForm2.h"
#include "records/TForm3.h"
#include "secrets/KeyChange.h"
#include "secrets/TrailerStore.h"
#include "store/Connection.h"
#include "store/JetConversionError.h"
#include "store/Query.h"
#include "store/TDataModule1.h"
#include "ui_TForm1.h"

#include <QCloseEvent>
#include <QMenu>

namespace {

const QString Caption = QStringLiteral("提示");
const QString NeverCounted = QStringLiteral("00000");

} // namespace

TForm1::TForm1(QWidget *parent) : QWidget(parent), ui(new Ui::TForm1), m_tray(new TrayIcon(this))
{
    ui->setupUi(this);
    WindowLook::setCloseBoxFrame(this, /*stayOnTop*/ false);
    setFont(WindowLook::boldFont());
    setFixedSize(862, 460);
    WindowPlacement::centreOnScreen(this);

    ui->DBGrid1->setColumns(SiteGrid::mainListColumns());
    ui->DBGrid1->setMultiSelect(true);
    if (DataModule1)
        ui->DBGrid1->setQuery(DataModule1->ADOQuery1);

    buildGridMenu();
    connectHandlers();
    setActionSetEnabled(false);
}

TForm1::~TForm1()
{
    delete ui;
}

void TForm1::buildGridMenu()
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

void TForm1::connectHandlers()
{
    const std::pair<QAbstractButton *, void (TForm1::*)()> buttons[] = {
        {ui->sBitBtn1, &TForm1::refreshList},     {ui->sBitBtn2, &TForm1::sBitBtn2Click},
        {ui->sBitBtn3, &TForm1::sBitBtn3Click},   {ui->sBitBtn4, &TForm1::sBitBtn4Click},
        {ui->sBitBtn5, &TForm1::sBitBtn5Click},   {ui->sBitBtn6, &TForm1::sBitBtn6Click},
        {ui->sBitBtn7, &TForm1::sBitBtn7Click},   {ui->sBitBtn8, &TForm1::sBitBtn8Click},
        {ui->sBitBtn9, &TForm1::sBitBtn9Click},   {ui->sBitBtn10, &TForm1::sBitBtn10Click},
        {ui->sBitBtn11, &TForm1::sBitBtn11Click}, {ui->sBitBtn12, &TForm1::sBitBtn12Click},
        {ui->sBitBtn13, &TForm1::sBitBtn13Click}, {ui->sBitBtn14, &TForm1::sBitBtn14Click},
        {ui->sBitBtn15, &TForm1::sBitBtn15Click}, {ui->sBitBtn16, &TForm1::sBitBtn16Click},
        {ui->sBitBtn17, &TForm1::quitProgram},
    };
    for (const auto &[button, handler] : buttons)
        connect(button, &QAbstractButton::clicked, this, handler);

    // A menu item runs the handler of the button with the same caption.
    const std::pair<QAction *, void (TForm1::*)()> items[] = {
        {ui->N4, &TForm1::sBitBtn2Click},   {ui->N5, &TForm1::sBitBtn3Click},
        {ui->N6, &TForm1::sBitBtn4Click},   {ui->N12, &TForm1::refreshList},
        {ui->N17, &TForm1::sBitBtn14Click}, {ui->N10, &TForm1::sBitBtn7Click},
        {ui->N8, &TForm1::sBitBtn5Click},   {ui->N9, &TForm1::sBitBtn6Click},
        {ui->N18, &TForm1::sBitBtn16Click}, {ui->N16, &TForm1::sBitBtn15Click},
    };
    for (const auto &[action, handler] : items)
        connect(action, &QAction::triggered, this, handler);

    connect(ui->DBGrid1, &SiteGrid::gridDoubleClicked, this, &TForm1::sBitBtn14Click);
    connect(ui->DBGrid1, &SiteGrid::rowsLost, this, [this] { setActionSetEnabled(false); });
    connect(ui->DBGrid1, &SiteGrid::readAgainWanted, this, &TForm1::readListAgain);
    connect(ui->DBGrid1, &SiteGrid::menuRequested, PopupMenu2,
            [this](const QPoint &at) { PopupMenu2->popup(at); });
    connect(ui->sEdit1, &QLineEdit::returnPressed, this, &TForm1::sBitBtn10Click);
}

void TForm1::setActionSetEnabled(bool enabled)
{
    for (QWidget *button :
         {ui->sBitBtn3, ui->sBitBtn4, ui->sBitBtn5, ui->sBitBtn6, ui->sBitBtn7, ui->sBitBtn9, ui->sBitBtn14})
        button->setEnabled(enabled);
    for (QAction *action : {ui->N5, ui->N6, ui->N8, ui->N9, ui->N10, ui->N17})
        action->setEnabled(enabled);
}

QString TForm1::secretKey() const
{
    return ui->sEdit4->text();
}

QString TForm1::hostingCutOff() const
{
    return ui->sEdit2->text();
}

QString TForm1::domainCutOff() const
{
    return ui->sEdit3->text();
}

// Frame and tray.

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    event->ignore();
    m_tray->sendToTray(this);
}

void TForm1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_prepared)
        m_tray->windowStateChanged(this, static_cast<QWindowStateChangeEvent *>(event));
}

void TForm1::showFromTray()
{
    m_tray->bringBack(this);
}

void TForm1::quitProgram()
{
    m_tray->removeIcon();
    Dialogs::requestTerminate();
}

void TForm1::FormShow()
{
    if (m_prepared)
        return;
    try {
        Connection *connection = DataModule1->ADOConnection1;
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
        ui->sEdit4->setText(key);
        m_prepared = true;
        Form8->attachTo(this);
        Form8->show();
    } catch (const JetConversionError &error) {
        // The earlier installation's register stays as it was; say what stopped the conversion.
        failPreparation(QStringLiteral("\r") + error.message());
    } catch (...) {
        failPreparation(QString());
    }
    m_tray->registerIcon();
}

void TForm1::failPreparation(const QString &detail)
{
    Dialogs::error(this, Caption,
                   QStringLiteral("数据库接连失败，请查看数据库文件是否存在") + detail +
                       Maker::contactBlock());
    Dialogs::requestTerminate();
}

// The list and its actions.

void TForm1::refreshList()
{
    try {
        loadList();
    } catch (...) {
        emptyList();
        Dialogs::error(this, Caption, QStringLiteral("数据刷新出错"));
    }
}

void TForm1::loadList()
{
    Query *list = DataModule1->ADOQuery1;
    list->close();
    list->open();
    ui->DBGrid1->reload();
    const int rows = list->recordCount();
    ui->sLabel3->setText(QString::number(rows));
    if (rows > 0)
        setActionSetEnabled(true);
}

// A list that could not be read shows no rows, claims none and offers nothing to act on.
void TForm1::emptyList()
{
    DataModule1->ADOQuery1->close();
    ui->DBGrid1->reload();
    ui->sLabel3->setText(NeverCounted);
    setActionSetEnabled(false);
}

void TForm1::readListAgain(int row)
{
    try {
        loadList();
        ui->DBGrid1->setCurrentRow(qMin(row, ui->DBGrid1->rowCount() - 1));
    } catch (...) {
        emptyList();
    }
}

void TForm1::openAddress(const QString &address)
{
    if (address.isEmpty()) {
        Dialogs::error(this, Caption, QStringLiteral("没有任何网址可以访问"));
        return;
    }
    Dialogs::openAddress(address);
}

void TForm1::sBitBtn5Click()
{
    openAddress(ui->DBGrid1->currentText(QStringLiteral("web_address")));
}

void TForm1::sBitBtn6Click()
{
    openAddress(ui->DBGrid1->currentText(QStringLiteral("web_login")));
}

void TForm1::sBitBtn2Click()
{
    Form2->show();
}

void TForm1::openRecord(bool modify)
{
    try {
        const QString address = ui->DBGrid1->currentText(QStringLiteral("web_address"));
        if (address.isEmpty())
            return;
        Form3->openRecord(address, modify ? TForm3::Mode::Modify : TForm3::Mode::Detail);
    } catch (...) {
        // A record that cannot be opened is passed over without a message.
    }
}

void TForm1::sBitBtn3Click()
{
    openRecord(true);
}

void TForm1::sBitBtn14Click()
{
    openRecord(false);
}

void TForm1::sBitBtn4Click()
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

void TForm1::afterDelete()
{
    // The count is only redone by a refresh, except that an emptied list starts over.
    if (ui->DBGrid1->rowCount() > 0)
        return;
    ui->sLabel3->setText(NeverCounted);
    setActionSetEnabled(false);
}

// The search bar.

void TForm1::showSearchBar(bool show)
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

void TForm1::sBitBtn9Click()
{
    showSearchBar(ui->sPanel2->isHidden());
}

void TForm1::sBitBtn11Click()
{
    showSearchBar(false);
}

void TForm1::sBitBtn10Click()
{
    const QString failed = QStringLiteral("查询失败,请检查关键字格式是否正确\r日期格式：####-##-##");
    const int choice = ui->sComboBox1->currentIndex();
    if (choice < 0 || choice >= KeywordSearch::items().size())
        return;
    try {
        const KeywordSearch::Result found = KeywordSearch::find(
            *DataModule1->ADOQuery1, KeywordSearch::items().at(choice), ui->sEdit1->text());
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

void TForm1::sBitBtn13Click()
{
    Form5->show();
}

void TForm1::sBitBtn15Click()
{
    Form7->showNotice();
}

void TForm1::sBitBtn16Click()
{
    Form9->showNotice();
}

void TForm1::sBitBtn7Click()
{
    runExportCommand(this, *ui->DBGrid1, m_exportFilterIndex);
}

void TForm1::sBitBtn8Click()
{
    refreshExpiryCounters(this, {ui->sEdit2, ui->sEdit3, ui->sLabel5, ui->sLabel7, ui->sBitBtn12});
}

void TForm1::sBitBtn12Click()
{
    hide();
    Form4->show();
    Form4->activateWindow();
}
