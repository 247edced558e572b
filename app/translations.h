#ifndef TRANSLATIONS_H
#define TRANSLATIONS_H

class QLocale;

// The application's texts and Qt's own (message box buttons, edit menus) in the
// language of a locale. English is the source language and needs neither.
class Translations
{
public:
    // Installs what exists for the locale's languages; true when the
    // application's own texts were found.
    static bool install(const QLocale &locale);
};

#endif
