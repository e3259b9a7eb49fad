#pragma once
// The program's releases and the changes each brought, newest first, as the release-history
// window lists them.

#include <vector>

// One row of the list: the date column and, unless it is null, the change text.
// A release row reads "Release 20.0.0"; a change row carries the date of the change; a row
// that continues the one above, and the separator between two releases, have a date column of
// twelve blanks (a separator has no change text); two separators are wholly empty.
struct TReleaseHistoryRow {
  const char* Date;
  const char* Change;
};

const std::vector<TReleaseHistoryRow>& ReleaseHistory();
