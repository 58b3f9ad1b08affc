#pragma once

#include "sites/Renewal.h"

#include <QDate>
#include <QString>

#include <functional>

class QMenu;
class QWidget;
class Query;

// Renewing from a window: the renewal stored at once, and the user told what came of it.
namespace RenewalCommand {

// The expiry date as the site window labels it ("网站空间到期时间").
QString dateLabel(Renewal::Kind kind);

// Renews, has the window show what came of it (outcome), then tells the user; changedNote ends the
// message of a renewal refused because the site changed. A register that fails is only told.
void run(QWidget *window, Query &query, const QString &address, Renewal::Kind kind, const QDate &shown,
         int years, const std::function<void(const Renewal::Result &)> &outcome,
         const QString &changedNote = QString());

// A menu of the years a renewal may take, from fewest up to Renewal::MostYears, each entry the
// prefix and the years in words ("续费两年"); choosing one calls chosen with its years.
QMenu *yearsMenu(QWidget *parent, const QString &prefix, int fewest, std::function<void(int years)> chosen);

} // namespace RenewalCommand
