#include "read_failures.h"

#include "messages.h"

#include "db/named_query.h"
#include "db/row_set_model.h"
#include "db/tdm.h"

void tellReadFailures(RowSetModel *model)
{
    QObject::connect(model, &RowSetModel::readFailed, model, [](const std::exception_ptr &failure) {
        messages::guarded([failure] { std::rethrow_exception(failure); });
    });
}

void tellReadFailures(NamedQuery *query)
{
    tellReadFailures(query->model());
}

void tellReadFailures(Tdm &dm)
{
    for (NamedQuery *query : dm.findChildren<NamedQuery *>(Qt::FindDirectChildrenOnly))
        tellReadFailures(query);
}
