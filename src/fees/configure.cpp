#include "configure.h"

#include "db/named_query.h"
#include "db/tdm.h"

namespace fees {

void configure(Tdm &dm)
{
    dm.aq_itemofnotice->setUpdateTable(QStringLiteral("itemofnotice"), {QStringLiteral("lineid")});
}

}  // namespace fees
