// "Done" is what the printer's own listing shows: after a download or a delete the listing is
// read again and compared with what the action meant to leave there.
#pragma once
#include <algorithm>
#include <vector>

namespace tav {

enum class Listed {
    Confirmed,  // the listing shows the action done
    NotTaken,   // it shows otherwise: the printer did not take it
    Incomplete, // it came cut short and does not tell
    Unread,     // it could not be read
};

template <typename Entry>
struct ListingCheck {
    Listed verdict = Listed::Unread;
    std::vector<Entry> contrary; // with NotTaken: what the listing lacks, or still holds
};

// entries should be in the listing (present) or gone from it. A listing cut short proves an entry
// there, never one gone.
template <typename Entry>
ListingCheck<Entry> CheckByListing(bool read, bool complete, const std::vector<Entry>& listing,
                                   const std::vector<Entry>& entries, bool present) {
    ListingCheck<Entry> check;
    if (!read) return check;
    for (const Entry& e : entries)
        if ((std::find(listing.begin(), listing.end(), e) != listing.end()) != present) check.contrary.push_back(e);
    if (check.contrary.empty())
        check.verdict = present || complete ? Listed::Confirmed : Listed::Incomplete;
    else
        check.verdict = present && !complete ? Listed::Incomplete : Listed::NotTaken;
    if (check.verdict != Listed::NotTaken) check.contrary.clear();
    return check;
}

} // namespace tav
