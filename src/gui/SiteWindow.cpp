#include "gui/SiteWindow.h"

#include "gui/Dialogs.h"
#include "gui/RecordForm.h"
#include "gui/RenewalCommand.h"
#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "sites/Session.h"
#include "sites/SiteStore.h"
#include "store/SiteRegister.h"
#include "store/StoreError.h"
#include "ui_SiteWindow.h"

#include <QCloseEvent>
#include <QMenu>

#include <exception>

namespace {

const QString Saved = QStringLiteral("数据修改成功");
const QString NotSaved = QStringLiteral("数据修改出错");
// Ends the refusal of a save or a renewal that found the record changed or deleted elsewhere,
// after which the window reads it again.
const QString ReadAgain = QStringLiteral("\r已重新读取此网站，请核对后再修改");
// After the section's caption.
const QString StaleRecord = QStringLiteral("未保存：此网站已在另一处被修改或删除") + ReadAgain;

} // namespace

SiteWindow::SiteWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent)
    : QWidget(parent), ui(new Ui::SiteWindow), m_register(siteRegister), m_session(session)
{
    ui->setupUi(this);
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ true);
    m_form = std::make_unique<RecordForm>(*ui, DatePicker::Entry::ShowAny, this);
    ui->siteNumberEdit->setReadOnly(true);
    ui->addressEdit->setReadOnly(true);

    connect(ui->saveSiteButton, &QPushButton::clicked, this, &SiteWindow::saveSiteSection);
    connect(ui->saveDatabaseButton, &QPushButton::clicked, this, &SiteWindow::saveDatabaseSection);
    connect(ui->saveDatesButton, &QPushButton::clicked, this, &SiteWindow::saveDateSection);
    connect(ui->saveRemarkButton, &QPushButton::clicked, this, &SiteWindow::saveRemark);
    for (QPushButton *exit :
         {ui->closeSiteButton, ui->closeDatabaseButton, ui->closeDatesButton, ui->closeRemarkButton})
        connect(exit, &QPushButton::clicked, this, &QWidget::close);
    setUpRenewal(ui->hostingRenewButton, ui->hostingRenewYearsButton, Renewal::Kind::Hosting);
    setUpRenewal(ui->domainRenewButton, ui->domainRenewYearsButton, Renewal::Kind::Domain);
}

SiteWindow::~SiteWindow() = default;

void SiteWindow::openRecord(const QString &address, Mode mode, bool fromExpiryList)
{
    if (address.isEmpty())
        return;
    // The marker names the list that opened the window last, so closing refreshes that one.
    m_fromExpiryList = fromExpiryList;
    ui->addressEdit->setText(address);
    setWindowTitle(mode == Mode::Modify ? QStringLiteral("网站资料修改")
                                        : QStringLiteral("网站资料详细查询"));
    setEditable(mode == Mode::Modify);
    if (!isVisible()) {
        adjustSize();
        WindowHelpers::centreOnScreen(this);
        show();
    }
    raise();
    activateWindow();
    // Loaded at every opening, also when the window was already up with another record.
    loadSite();
}

void SiteWindow::clearExpiryMarker()
{
    m_fromExpiryList = false;
}

void SiteWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // Credentials stay readable only while the window shows them; the next opening loads afresh.
    m_form->emptyTexts();
    m_loaded.reset();
    m_shownRemark.clear();
    emit closed(m_fromExpiryList);
}

void SiteWindow::setEditable(bool editable)
{
    for (QPushButton *button :
         {ui->saveSiteButton, ui->saveDatabaseButton, ui->saveDatesButton, ui->saveRemarkButton,
          ui->closeSiteButton, ui->closeDatabaseButton, ui->closeDatesButton, ui->closeRemarkButton})
        button->setEnabled(editable);
    for (QPushButton *button : {ui->hostingRenewButton, ui->hostingRenewYearsButton, ui->domainRenewButton,
                                ui->domainRenewYearsButton})
        button->setEnabled(editable);
    // Every save is keyed by the address, and the site number is part of every credential.
    for (QLineEdit *field : m_form->edits())
        field->setReadOnly(!editable || field == ui->siteNumberEdit || field == ui->addressEdit);
    ui->remarkEdit->setReadOnly(!editable);
    for (DatePicker *picker : m_form->pickers())
        picker->setReadOnly(!editable);
}

void SiteWindow::loadSite()
{
    m_loaded.reset();
    m_shownRemark.clear();
    const QString address = ui->addressEdit->text();
    try {
        LoadedSite site = SiteStore::load(*m_register.siteLoad(), address, m_session.secretKey());
        if (site.otherKey) {
            refuseRecord();
            return;
        }
        SiteRecord shown = site.record;
        // The address stays as it was asked for.
        shown.setText(SiteField::Address, address);
        m_form->show(shown);
        m_shownRemark = WindowHelpers::exactText(ui->remarkEdit);
        m_loaded = std::move(site);
    } catch (const std::exception &error) {
        // Nothing of the record shown before may go on showing.
        m_form->emptyTexts(ui->addressEdit);
        for (DatePicker *picker : m_form->pickers())
            picker->setDate(QDate());
        const auto *broken = dynamic_cast<const BrokenCredential *>(&error);
        Dialogs::error(this, QStringLiteral("提示"),
                       QStringLiteral("数据查询出错") +
                           (broken ? QStringLiteral("\r") + broken->message() : QString()) +
                           Maker::shortContactBlock());
        return;
    }
    reportMissingDates(m_loaded->missingDates);
}

// An empty or unreadable date is left for the user to choose, not a reason to refuse the site.
void SiteWindow::reportMissingDates(const QList<SiteField> &missing)
{
    if (missing.isEmpty())
        return;
    QString text = QStringLiteral("此网站以下日期为空或无法读取：");
    for (SiteField date : missing)
        text += QLatin1Char('\r') + m_form->picker(date)->label();
    if (ui->saveDatesButton->isEnabled())
        text += QStringLiteral("\r请选择日期后保存日期资料");
    Dialogs::notice(this, QStringLiteral("日期资料"), text);
}

void SiteWindow::refuseRecord()
{
    m_form->emptyTexts();
    Dialogs::error(this, QStringLiteral("提示"), QStringLiteral("读取详细数据失败"));
}

SiteRecord SiteWindow::shownRecord() const
{
    SiteRecord record = m_form->record();
    // An untouched remark goes back exactly as loaded, whatever line breaks it was stored with.
    if (m_loaded && record.text(SiteField::Remark) == m_shownRemark)
        record.setText(SiteField::Remark, m_loaded->record.text(SiteField::Remark));
    return record;
}

void SiteWindow::save(SiteSection section, const QString &caption)
{
    if (!m_loaded) {
        Dialogs::error(this, caption, NotSaved);
        return;
    }
    const SiteRecord shown = shownRecord();
    int changed = 0;
    try {
        changed = SiteStore::saveSection(*m_register.siteSaves(), section, m_loaded->row, shown,
                                         m_session.secretKey());
    } catch (const std::exception &) {
        Dialogs::error(this, caption, NotSaved);
        return;
    }
    if (changed == 0) {
        refuseStaleSave(caption);
        return;
    }
    keepSaved(section, shown);
    Dialogs::notice(this, caption, Saved);
}

// The record was changed or deleted elsewhere since it was loaded: writing what this window
// shows would undo that change, so the window shows the record as it now stands instead.
void SiteWindow::refuseStaleSave(const QString &caption)
{
    Dialogs::error(this, caption, caption + StaleRecord);
    loadSite();
}

// What a save stored is what the window now holds as loaded: a renewal compares its dates
// with it, and an untouched remark goes back as it stands now.
void SiteWindow::keepSaved(SiteSection section, const SiteRecord &saved)
{
    for (const FieldEntry &entry : siteFields()) {
        if (entry.section != section || entry.kind == FieldKind::Key)
            continue;
        if (entry.kind == FieldKind::Date)
            m_loaded->record.setDate(entry.field, saved.date(entry.field));
        else
            m_loaded->record.setText(entry.field, saved.text(entry.field));
    }
    if (section == SiteSection::Remark)
        m_shownRemark = WindowHelpers::exactText(ui->remarkEdit);
}

void SiteWindow::saveSiteSection()
{
    save(SiteSection::Site, QStringLiteral("网站资料"));
}

void SiteWindow::saveDatabaseSection()
{
    save(SiteSection::Database, QStringLiteral("数据库资料"));
}

void SiteWindow::saveDateSection()
{
    const QString caption = QStringLiteral("日期资料");
    if (!m_loaded || datesAccepted(caption))
        save(SiteSection::Dates, caption);
}

bool SiteWindow::datesAccepted(const QString &caption)
{
    for (const DatePicker *picker : m_form->pickers()) {
        if (picker->isIncomplete()) {
            Dialogs::error(this, caption, picker->label() + QStringLiteral("不完整，请选择年、月、日"));
            return false;
        }
    }
    const std::optional<QString> refusal = m_form->dateRefusal(NotSaved);
    if (refusal)
        Dialogs::error(this, caption, *refusal);
    return !refusal;
}

void SiteWindow::saveRemark()
{
    save(SiteSection::Remark, QStringLiteral("备注资料"));
}

// One button renews by one year, the other offers one to ten.
void SiteWindow::setUpRenewal(QPushButton *oneYear, QPushButton *years, Renewal::Kind kind)
{
    connect(oneYear, &QPushButton::clicked, this, [this, kind] { renew(kind, 1); });
    QMenu *choice =
        RenewalCommand::yearsMenu(this, QStringLiteral("续费"), 1, [this, kind](int n) { renew(kind, n); });
    choice->setObjectName(years->objectName() + QStringLiteral("Menu"));
    years->setMenu(choice);
}

// Renews from the date as loaded and shows the new one; every other field keeps what is typed.
void SiteWindow::renew(Renewal::Kind kind, int years)
{
    const QString caption = QStringLiteral("续费");
    if (!m_loaded) {
        Dialogs::error(this, caption, NotSaved);
        return;
    }
    const SiteField field =
        kind == Renewal::Kind::Hosting ? SiteField::HostingExpires : SiteField::DomainExpires;
    DatePicker *picker = m_form->picker(field);
    const QDate loaded = m_loaded->record.date(field);
    // A date changed here and not yet saved would be lost under the renewed one.
    if (picker->date() != loaded || picker->isIncomplete()) {
        Dialogs::error(this, caption,
                       picker->label() + QStringLiteral("已修改未保存，请先保存日期资料再续费"));
        return;
    }
    Renewal::Outcome outcome = Renewal::Outcome::NoDate;
    RenewalCommand::run(
        this, *m_register.siteSaves(), m_loaded->row.address, kind, loaded, years,
        [&](const Renewal::Result &result) {
            outcome = result.outcome;
            if (outcome == Renewal::Outcome::Renewed)
                showRenewed(field, result.renewed);
        },
        ReadAgain);
    // As with a save: the window shows the record as it now stands.
    if (outcome == Renewal::Outcome::Changed)
        loadSite();
}

void SiteWindow::showRenewed(SiteField field, const QDate &renewed)
{
    m_loaded->record.setDate(field, renewed);
    // The renewal moved the row's version on; this window's own saves build on it.
    ++m_loaded->row.version;
    m_form->picker(field)->setDate(renewed);
    emit siteRenewed();
}
