#pragma once

#include "store/StoreError.h"

// A conversion of an earlier installation's Jet register that stopped before anything
// was renamed. message() is one line for the user, in the program's words, saying what
// failed: which table, row and column where there is one.
class JetConversionError : public StoreError
{
public:
    explicit JetConversionError(const QString &reason)
        : StoreError(QStringLiteral("旧版数据库转换失败：") + reason)
    {
    }

    // "表 t_webinfo 第 3 行（id=3），列 web_user：<reason>"; row 0 and an empty id or
    // column leave their part out.
    static JetConversionError at(const QString &table, int row, const QString &id, const QString &column,
                                 const QString &reason)
    {
        QString place = QStringLiteral("表 ") + table;
        if (row > 0)
            place += QStringLiteral(" 第 %1 行").arg(row);
        if (!id.isEmpty())
            place += QStringLiteral("（id=%1）").arg(id);
        if (!column.isEmpty())
            place += QStringLiteral("，列 ") + column;
        return JetConversionError(place + QStringLiteral("：") + reason);
    }
};
