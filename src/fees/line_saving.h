#pragma once
// Saving the fee-line editor: the lines whose steps were typed since their
// amount was computed are computed first, then everything is stored with the
// notice total in one transaction.

#include "db/user_refusal.h"

#include <QStringList>

class Tdm;

namespace nollard {
class TParser;
}

namespace fees {

// The steps of a line could not be computed; nothing of the save was stored.
class StepsNotComputed : public UserRefusal
{
public:
    StepsNotComputed(const QString &message, int row) : UserRefusal(message), m_row(row) {}
    // The line's row in the lines query.
    int row() const { return m_row; }

private:
    int m_row;
};

// Computes every line of aq_itemofnotice listed in changedLines (by lineid)
// from its steps; when one cannot be computed, throws StepsNotComputed naming
// its fee item, having stored nothing. Otherwise stores, in one transaction,
// the line in editing, the computed amounts and the total of CurrentNoticeID;
// then opens the editor total selection and puts the total into aq_notice's
// row in editing (writeNoticeTotal, with LineTypeFilter). Returns that total.
double saveEditorLines(Tdm &dm, nollard::TParser &parser, const QStringList &changedLines, const QString &department);

}  // namespace fees
