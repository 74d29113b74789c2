#pragma once
// The four states of a hand tag, the words 手牌管理.手牌状态 stores for them, and the board's
// icon for each (the enum's value is the icon's index).

#include <QString>
#include <optional>

enum class TagState { Free = 0, Occupied = 1, Reserved = 2, Disabled = 3 };

// "可用", "占用", "预定", "停用".
QString tagStateText(TagState state);
// The state a stored word names; nothing for any other word.
std::optional<TagState> tagStateFrom(const QString &word);
// How the board shows a stored word: any word outside the four shows as free.
TagState tagStateShown(const QString &word);
