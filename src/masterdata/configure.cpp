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
}

}  // namespace masterdata
