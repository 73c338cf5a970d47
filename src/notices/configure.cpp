#include "configure.h"

#include "app/named_query.h"
#include "app/tdm.h"

namespace notices {

void configure(Tdm &dm)
{
    dm.aq_notice->setUpdateTable(QStringLiteral("notice"), {QStringLiteral("ID")});
    dm.aq_notice->setRevisionColumn(QStringLiteral("revision"));
}

}  // namespace notices
