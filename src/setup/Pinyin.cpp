#include "Pinyin.h"

#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>
#include <unicode/unistr.h>

#include <QList>

#include <memory>
#include <mutex>

namespace {

// Making the transliterator reads ICU's rules (a few milliseconds), so it is made once.
icu::Transliterator *hanToLatin()
{
    static std::unique_ptr<icu::Transliterator> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> t(
            icu::Transliterator::createInstance("Han-Latin; Latin-ASCII", UTRANS_FORWARD, status));
        if (U_FAILURE(status))
            t.reset();
        return t;
    }();
    return instance.get();
}

std::mutex transliteratorLock;

} // namespace

QString pinyinInitials(const QString &name)
{
    QString initials;
    for (const char32_t codePoint : name.toUcs4()) {
        UErrorCode status = U_ZERO_ERROR;
        const UScriptCode script = uscript_getScript(UChar32(codePoint), &status);
        if (U_SUCCESS(status) && script == USCRIPT_HAN) {
            icu::UnicodeString reading{UChar32(codePoint)};
            {
                const std::lock_guard lock(transliteratorLock);
                if (icu::Transliterator *t = hanToLatin())
                    t->transliterate(reading);
            }
            if (!reading.isEmpty() && reading.charAt(0) < 0x80 && u_isalpha(reading.charAt(0)))
                initials.append(QChar(char16_t(u_tolower(reading.charAt(0)))));
        } else if (codePoint < 0x80 && (u_isalnum(UChar32(codePoint)))) {
            initials.append(QChar(char16_t(u_tolower(UChar32(codePoint)))));
        }
    }
    return initials;
}
