#pragma once

class QCoreApplication;
class QLocale;

// The wizard's language. Japanese is the source; English is the one translation.
namespace Translation {

// False when the user's UI languages (LANGUAGE, else LC_MESSAGES or LANG) name Japanese
// before English, and for the C/POSIX locale; true otherwise, for every other language
// too (German, French ...): English is the one translation.
bool prefersEnglish(const QLocale& system);

// Installs the texts, Qt's own texts (standard buttons, edit menus) and the pictures
// of one language. Call it once, before the first screen is made.
void install(QCoreApplication& app, bool english);

}
