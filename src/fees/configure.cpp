#include "configure.h"

#include "app/named_query.h"
#include "app/tdm.h"

namespace fees {

void configure(Tdm &dm)
{
    dm.aq_itemofnotice->setUpdateTable(QStringLiteral("itemofnotice"), {QStringLiteral("lineid")});
}

}  // namespace fees
