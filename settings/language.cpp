#include "settings/language.h"

namespace language {

bool wantsEnglish(int setting, QLocale::Language systemLanguage) {
    return setting == 1 || (setting == 0 && systemLanguage != QLocale::Chinese);
}

}  // namespace language
