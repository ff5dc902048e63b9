#pragma once

#include "store/search_store.h"

class SearchSession;

// Puts a stored search back into a session that holds no rows yet: the pages in their
// positions with their depths, the pictures in the order they were added and then ordered
// by the stored header clicks, the site list and the two check boxes. A page that was
// loading when the search broke off waits again; finished and failed pages stay as they
// were. The search is left stopped.
// False when the tables did not take the stored rows as they are (two rows under one key,
// a click on no column): the store then numbers its rows otherwise than the tables do and
// must be written anew (SessionRecorder::rewriteWhole).
bool restoreSearch(SearchSession& session, const StoredSearch& search);
