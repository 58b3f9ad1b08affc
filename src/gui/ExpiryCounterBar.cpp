#include "gui/ExpiryCounterBar.h"

#include "gui/Dialogs.h"
#include "sites/ExpiryCounters.h"
#include "sites/Session.h"
#include "store/StoreError.h"

#include <QAbstractButton>
#include <QLabel>

std::optional<ExpiryCounters::Outcome> refreshExpiryCounters(QWidget *window, Query &query, Session &session,
                                                             const ExpiryCounterBar &bar, const QDate &today)
{
    ExpiryCounters::Outcome outcome;
    bool failed = false;
    try {
        ExpiryCounters::compute(query, today, outcome);
    } catch (const StoreError &) {
        failed = true;
    }
    if (outcome.hostingCutOff.isValid())
        session.setCutOffs(outcome.hostingCutOff, outcome.domainCutOff);
    if (outcome.hostingDue >= 0)
        bar.hostingDue->setText(QString::number(outcome.hostingDue));
    if (outcome.domainDue >= 0)
        bar.domainDue->setText(QString::number(outcome.domainDue));
    if (failed) {
        if (window)
            Dialogs::error(window, QStringLiteral("提示"), QStringLiteral("查询失败"));
        return std::nullopt;
    }
    bar.openList->setEnabled(outcome.hostingDue > 0 || outcome.domainDue > 0);
    return outcome;
}
