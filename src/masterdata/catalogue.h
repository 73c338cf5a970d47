#pragma once
// The two fee item catalogues: the ship inspection section's (itemcj) and the
// ship affairs section's (itemcw), whose order is the order of the fee lines
// of every new notice.

#include "db/sql_dialect.h"

#include <QSqlDatabase>
#include <QString>

class NamedQuery;
struct UserRecord;

namespace masterdata {

struct Catalogue
{
    QString windowName;
    QString queryName;
    QString table;
    CounterColumn counter;
    QString listStatement;
    bool priced;  // itemcw: a unit price and a fee type per item; moves stay within the type
    QString caption;
    QString heading;
    QString nameTitle;  // the grid's name column
    QString nameLabel;
    QString missingMessage;
    QString existsMessage;
    bool focusNameOnAdd;
};
const Catalogue &shipInspectionCatalogue();
const Catalogue &shipAffairsCatalogue();

// Widths in GBK bytes.
inline constexpr int kItemNameBytes = 50;

// The order number of a new item: the catalogue's counter advanced by one in
// one indivisible step. It stays used even if the item is never stored.
int drawOrderNumber(QSqlDatabase db, const Catalogue &catalogue);

enum class NewItem { Stored, Missing, Exists };
// Stores the item being added: it needs a name (and, priced, a type), and the
// name must not be in the catalogue yet, whatever its type. Every change of a
// catalogue, its order included, enters the trail of master data changes
// under the leader's name, in the change's transaction.
NewItem storeNewItem(NamedQuery &q, const Catalogue &catalogue, const UserRecord &leader);

// Deletes the current item.
void deleteItem(NamedQuery &q, const Catalogue &catalogue, const UserRecord &leader);

enum class Move { Moved, AtEnd, AtGroupEnd };
// Moves the current item one place up (step -1) or down (step 1) by
// exchanging its order number with its neighbour's, both in one transaction,
// and leaves the cursor on the moved item. A priced catalogue's item stays
// within its type. Refuses (UserRefusal) when another workstation changed the
// order of either item meanwhile.
Move moveItem(NamedQuery &q, const Catalogue &catalogue, int step, const UserRecord &leader);

}  // namespace masterdata
