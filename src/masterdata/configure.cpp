#include "configure.h"

#include "db/named_query.h"
#include "db/tdm.h"

namespace masterdata {

void configure(Tdm &dm)
{
    for (NamedQuery *accounts : {dm.aq_useradmin, dm.aq_money}) {
        accounts->setUpdateTable(QStringLiteral("person"), {QStringLiteral("nickname")});
        accounts->setCompareReadValues(true);
    }
    dm.aq_company->setUpdateTable(QStringLiteral("company"), {QStringLiteral("name")});
    dm.aq_buildtype->setUpdateTable(QStringLiteral("buildtype"), {QStringLiteral("name")});
    dm.aq_runtype->setUpdateTable(QStringLiteral("runtype"), {QStringLiteral("name")});
    dm.aq_othertype->setUpdateTable(QStringLiteral("othertype"), {QStringLiteral("name")});
    // A name list row without a name is never stored: the row stays in editing
    // so the user can type one, and nothing is said.
    dm.aq_buildtype->setBeforePost(
        [](const NamedQuery &q) { return !q.value(QStringLiteral("name")).toString().isEmpty(); });
}

}  // namespace masterdata
