#include "gui/ExpiryCounterBar.h"

#include "app/Globals.h"
#include "sites/ExpiryCounters.h"
#include "gui/Dialogs.h"
#include "store/StoreError.h"
#include "store/SiteRegister.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

void refreshExpiryCounters(QWidget *window, const ExpiryCounterBar &bar, const QDate &today)
{
    ExpiryCounters::Outcome outcome;
    bool failed = false;
    try {
        ExpiryCounters::compute(*DataModule1->ADOQuery4, today, outcome);
    } catch (const StoreError &) {
        failed = true;
    }
    if (!outcome.hostingCutOff.isEmpty()) {
        bar.hostingCutOff->setText(outcome.hostingCutOff);
        bar.domainCutOff->setText(outcome.domainCutOff);
    }
    if (outcome.hostingDue >= 0)
        bar.hostingDue->setText(QString::number(outcome.hostingDue));
    if (outcome.domainDue >= 0)
        bar.domainDue->setText(QString::number(outcome.domainDue));
    if (failed) {
        Dialogs::error(window, QStringLiteral("提示"), QStringLiteral("查询失败"));
        return;
    }
    bar.openList->setEnabled(outcome.hostingDue > 0 || outcome.domainDue > 0);
}
