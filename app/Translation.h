#pragma once

class QCoreApplication;
class QLocale;

// The wizard's language. Japanese is the source; English is the one translation.
namespace Translation {

// True when the user's UI languages (LANGUAGE, else LC_MESSAGES or LANG) name English
// before Japanese. The C/POSIX locale, Japanese and every other language keep Japanese.
bool prefersEnglish(const QLocale& system);

// Installs the texts, Qt's own texts (standard buttons, edit menus) and the pictures
// of one language. Call it once, before the first screen is made.
void install(QCoreApplication& app, bool english);

}
