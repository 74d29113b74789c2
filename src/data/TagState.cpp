#include "TagState.h"

using namespace Qt::StringLiterals;

QString tagStateText(TagState state)
{
    switch (state) {
    case TagState::Free:
        return u"可用"_s;
    case TagState::Occupied:
        return u"占用"_s;
    case TagState::Reserved:
        return u"预定"_s;
    case TagState::Disabled:
        return u"停用"_s;
    }
    return {};
}

std::optional<TagState> tagStateFrom(const QString &word)
{
    for (TagState s : {TagState::Free, TagState::Occupied, TagState::Reserved, TagState::Disabled}) {
        if (word == tagStateText(s))
            return s;
    }
    return std::nullopt;
}

TagState tagStateShown(const QString &word)
{
    return tagStateFrom(word).value_or(TagState::Free);
}
