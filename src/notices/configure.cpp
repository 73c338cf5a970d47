#include "configure.h"

#include "db/named_query.h"
#include "db/tdm.h"

namespace notices {

void configure(Tdm &dm)
{
    dm.aq_notice->setUpdateTable(QStringLiteral("notice"), {QStringLiteral("ID")});
    dm.aq_notice->setRevisionColumn(QStringLiteral("revision"));
}

}  // namespace notices
