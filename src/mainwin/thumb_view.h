#pragma once

#include <QtGlobal>

class EventPump;
struct PictureFiles;

// The paging rules of the thumbnail strip, five pictures to a page. The strip's widgets and
// their behaviour are part of frmResource (thumb_view.cpp).

inline constexpr int ThumbsPerPage = 5;

// Pages of a list of count pictures: (count - 1) div 5 + 1, the division truncating toward zero.
int thumbPages(int imageFileCount);

// After the list changed: no page without a picture, otherwise the page is lowered one step at
// a time (yielding after each) until it exists, and is at least 1.
void clampThumbPage(PictureFiles &files, EventPump &events);
