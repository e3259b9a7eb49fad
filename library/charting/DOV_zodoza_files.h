#pragma once
// Free routines of the chart files: the record initialiser and the text form of one record.

#include "DOV_zodoza.h"

// Sets every field of Item to its neutral value (black on white, layer 1, world coordinates);
// padding bytes and the text bytes after the length byte are left as they were.
void CleazOdozaItem(TrcChartItem& Item);
// The text form of Item: the parts chosen by the bits of Flags (1 kind, 2 position, 4 colour
// and pen style, 8 tag, 16 class; -1 adds the lines of the kind), separated by CR LF.
String ItemDescription(const TrcChartItem& Item, Integer Flags);
