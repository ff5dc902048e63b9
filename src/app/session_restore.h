#pragma once

#include "store/search_store.h"

class SearchSession;

enum class Restored {
    AsStored,
    // The tables did not take the stored rows as they are (two rows under one key, a click
    // on no column): the store then numbers its rows otherwise than the tables do and must
    // be written anew (SessionRecorder::rewriteWhole).
    Renumbered,
    // The file's rows past the rows in memory could not be taken as the file numbers them:
    // writing the file anew would lose them, so it must be left as it is.
    RowsLeftInFile,
};

// Puts a stored search back into a session that holds no rows yet: the pages in their
// positions with their depths, the pictures in the order they were added and then ordered
// by the stored header clicks, the site list and the two check boxes. A page that was
// loading when the search broke off waits again; finished and failed pages stay as they
// were. The search is left stopped. The file's pictures past search.pictures stay in the
// file, for a picture table that keeps its later rows there (PictureTable::keepRowsIn).
Restored restoreSearch(SearchSession& session, const StoredSearch& search);
// Why a file that gave Restored::RowsLeftInFile is not resumed.
QString rowsLeftInFileReason(const QString& path, int rowsInMemory);
