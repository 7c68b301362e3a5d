#pragma once

#include <QLocale>

namespace language {

/// Whether the English catalogue is loaded for the "/config/language" value @p setting on a system whose locale
/// speaks @p systemLanguage: 1 always, 0 unless the system is Chinese, anything else never (Chinese interface).
bool wantsEnglish(int setting, QLocale::Language systemLanguage);

/// File name of the English catalogue, looked for in the folder of the executable.
inline constexpr const char *catalogueFileName = "LANG.Cali.en_US.qm";

}  // namespace language
