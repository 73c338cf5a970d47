#pragma once
// What the three areas of the bill window list: the section's printed notices
// waiting for a bill, its issued bills not yet counted, and its voided bills,
// each searchable by any part of the notice number or the bill number.

#include "db/sql_statement.h"

struct UserRecord;

namespace finance {

// Whether the user manages the bills of a section: a member of ship affairs
// or ship inspection (roles 3 to 6) with the bill right.
bool managesBills(const UserRecord &user);

// Area 1: notices of the user's section in state 3 whose number contains the
// text (all of them for an empty text), newest first.
Statement unbilledNotices(const UserRecord &user, const QString &serialText = {});
// Area 2: bills of the section in state 5 whose bill number contains the text.
Statement issuedBills(const UserRecord &user, const QString &billText);
// Area 3: voided bills of the section, by notice number or by bill number.
Statement voidedBillsBySerial(const UserRecord &user, const QString &serialText);
Statement voidedBillsByBillNumber(const UserRecord &user, const QString &billText);

}  // namespace finance
