// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rider's language: which one the environment asks for, and the
// catalogues (the tool's own and Qt's) that put it on every text.
//
// Texts are written in code as they show in English (the dialogs' framework
// words in French) and go through QCoreApplication::translate; the catalogues
// are built from app/translations/calibration-tool_<language>.ts. In the C,
// POSIX and English locales no catalogue is loaded, so every text stays as
// written.
#include <QString>
#include <QTranslator>
#include <functional>
#include <string>
#include <vector>

namespace app {

// The languages the environment asks for, most wanted first ("it_IT",
// "de" ...), read as gettext reads them: the messages locale is the first
// set of LC_ALL, LC_MESSAGES and LANG; when that is C or POSIX (or nothing
// is set) the answer is empty, whatever LANGUAGE says; otherwise LANGUAGE's
// colon-separated list when set, else the messages locale. Encoding and
// modifier (".UTF-8", "@euro") are cut off.
using EnvironmentReader = std::function<const char*(const char* name)>;
std::vector<std::string> RequestedLanguages(const EnvironmentReader& environment);

// Where the tool's catalogues are: "translations" beside the program (the
// build tree), else ../share/calibration-tool/translations from it (an
// installed copy, wherever its prefix). Needs the application object.
QString TranslationsDirectory();

// The tool's catalogue and Qt's own for one language.
class LanguageCatalogues {
public:
    LanguageCatalogues() = default;
    ~LanguageCatalogues();
    LanguageCatalogues(const LanguageCatalogues&) = delete;
    LanguageCatalogues& operator=(const LanguageCatalogues&) = delete;

    // Loads the first of `requested` that the tool has a catalogue for in
    // `directory` ("de_CH" finds calibration-tool_de.qm), with Qt's own
    // catalogue of that language. An English request met before any
    // catalogue means English. False, and nothing loaded, for English.
    bool Load(const std::vector<std::string>& requested, const QString& directory);
    // The language loaded ("it", "de" ...), empty for English.
    const QString& Language() const { return language_; }
    // Puts the catalogues on the texts of the application object that
    // exists now (one per process at a time; call again for the next one).
    void Install();
    void Remove();

private:
    QTranslator tool_;
    QTranslator qt_;
    QString language_;
    bool qt_loaded_ = false;
};

// The program's catalogues, chosen once from the environment and installed
// into the current application object.
void InstallUserLanguage();

}  // namespace app
