#pragma once
// A database with both fee catalogues and one notice, opened in a data module
// the way the main window leaves it: aq_notice on the notice.

#include "test_database.h"

#include "db/tdm.h"

#include <memory>

struct NoticeFlags
{
    bool dengji = false;
    bool peixun = false;
    bool gongbenfei = false;
    bool neibuziliao = false;
};

class FeeFixture
{
public:
    // nullptr when the kind cannot run here.
    static std::unique_ptr<FeeFixture> create(DbKind kind, const QString &connectionName);

    static inline const QString kNoticeId = QStringLiteral("0000001");

    // Inserts the notice (unless it exists), sets its flags and opens aq_notice on it.
    void openNotice(const NoticeFlags &flags = {}, const QString &id = kNoticeId);
    // The item names of the notice's lines in the order of aq_itemofnotice's rows.
    QStringList openLineNames();
    int lineCount(const QString &id = kNoticeId);

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<Tdm> dm;
};

// itemcw: unit prices 30, 12.5, 0, 5, -1 and none; two rows share an orderx
// with a row of another type, and one name holds a quote.
void fillShipAffairsCatalogue(TestDatabase &db);
// itemcj: three items whose orderx differs from their stored order.
void fillInspectionCatalogue(TestDatabase &db);
