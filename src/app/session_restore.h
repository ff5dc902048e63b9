#pragma once

#include "store/search_store.h"

class SearchSession;

// Puts a stored search back into a session that holds no rows yet: the pages in their
// positions, the pictures in table order, the site list and the two check boxes. A page
// that was loading when the search broke off waits again; finished and failed pages stay
// as they were. The search is left stopped.
void restoreSearch(SearchSession& session, const StoredSearch& search);
