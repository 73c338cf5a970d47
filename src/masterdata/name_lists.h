#pragma once
// The four name lists that feed the notice header's drop-downs: the
// account-holding companies and the inspection contents of each inspection
// type. One window serves them all, configured by this table.

#include <QList>
#include <QString>

class NamedQuery;
class Tdm;
struct UserRecord;

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
// Stores the name being added. A name of blanks is a name. Adding and
// deleting a name enter the trail of master data changes under the leader's
// name, in the change's transaction.
NewName storeNewName(NamedQuery &q, const NameList &list, const UserRecord &leader);
// Deletes the current name.
void deleteName(NamedQuery &q, const NameList &list, const UserRecord &leader);

}  // namespace masterdata
