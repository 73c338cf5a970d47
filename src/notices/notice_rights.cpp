#include "notice_rights.h"

#include "app/codes.h"
#include "app/current_user.h"

SelectionRights selectionRights(const NoticeFacts &notice, const UserRecord &user)
{
    SelectionRights rights;
    const bool own = notice.handler == user.userName;
    const bool sameSection = notice.department == user.department;
    const bool editable = notice.status == codes::StateNew || notice.status == codes::StateRejected;
    rights.modifyAndDelete = own && editable;
    rights.print = sameSection && codes::printable(user.department, notice.status);

    // Leaders only ever list their own section; a clerk reviews with the right
    // and only in the own section.
    const bool leader = user.typeId == codes::RoleShipAffairsLeader || user.typeId == codes::RoleInspectionLeader;
    const bool reviewer = leader || (user.hasReviewRight() && sameSection);
    const bool reviewable = notice.status == codes::StateNew || notice.status == codes::StateApproved
                            || notice.status == codes::StateRejected;
    if (reviewer && reviewable) {
        rights.reviewArea = true;
        rights.approve = notice.status != codes::StateApproved;
        rights.reject = notice.status != codes::StateRejected;
    }
    return rights;
}
