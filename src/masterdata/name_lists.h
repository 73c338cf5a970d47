#pragma once
// The four name lists that feed the notice header's drop-downs: the
// account-holding companies and the inspection contents of each inspection
// type. One window serves them all, configured by this table.

#include <QList>
#include <QString>

class NamedQuery;
class Tdm;

namespace masterdata {

struct NameList
{
    QString windowName;
    QString table;
    NamedQuery *Tdm::*query;  // the data module's shared query of the list
    QString gridName;
    QString caption;
    QString columnTitle;
    QString fieldLabel;
    QString emptyMessage;
    QString existsMessage;
    bool focusNameOnAdd;
    int nameBytes;  // the notice column the name is copied into
};

const NameList &companyList();
const NameList &buildTypeList();
const NameList &runTypeList();
const NameList &otherTypeList();
QList<const NameList *> nameLists();

enum class NewName { Stored, Empty, Exists };
// Stores the name being added. A name of blanks is a name.
NewName storeNewName(NamedQuery &q, const NameList &list);

}  // namespace masterdata
