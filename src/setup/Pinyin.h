#pragma once
// The pinyin initials of an item name, what a cashier types to find "泰式按摩" ("tsam").

#include <QString>

// Each Han character gives the first letter of its reading (ICU's Han-Latin), lower case;
// Latin letters and digits are kept, lower case; anything else (blanks, marks) is left out.
QString pinyinInitials(const QString &name);
