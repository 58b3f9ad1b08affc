#include "store/SiteRegister.h"

#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"

SiteRegister::SiteRegister(QObject *parent)
    : QObject(parent), ADOConnection1(new Connection(this)), ADOQuery1(new Query(ADOConnection1)),
      ADOQuery2(new Query(ADOConnection1)), ADOQuery3(new Query(ADOConnection1)),
      ADOQuery4(new Query(ADOConnection1)), ADOQuery5(new Query(ADOConnection1)),
      ADOQuery6(new Query(ADOConnection1))
{
    // A path relative to the current folder until the main window sets the real one.
    ADOConnection1->setConnectionString(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=db.mdb;Persist Security Info=False"));
    ADOQuery1->setSql(Statements::MainList);
    ADOQuery5->setSql(Statements::MainList);
}

SiteRegister::~SiteRegister()
{
    for (Query *query : {ADOQuery1, ADOQuery2, ADOQuery3, ADOQuery4, ADOQuery5, ADOQuery6})
        delete query;
}
