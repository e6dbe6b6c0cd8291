// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/translations/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <QLibraryInfo>

namespace app {
namespace {

constexpr const char* kCatalogueName = "calibration-tool_";

const char* FirstSet(const EnvironmentReader& environment, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const char* value = environment(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return nullptr;
}

// "it_IT.UTF-8@euro" -> "it_IT".
std::string WithoutEncoding(const std::string& locale) { return locale.substr(0, locale.find_first_of(".@")); }

bool IsCLocale(const std::string& name) { return name.empty() || name == "C" || name == "POSIX"; }

bool IsEnglish(const std::string& language) { return language == "en" || language.starts_with("en_"); }

}  // namespace

std::vector<std::string> RequestedLanguages(const EnvironmentReader& environment) {
    const char* messages = FirstSet(environment, {"LC_ALL", "LC_MESSAGES", "LANG"});
    if (messages == nullptr || IsCLocale(WithoutEncoding(messages))) return {};
    std::vector<std::string> requested;
    const char* list = FirstSet(environment, {"LANGUAGE"});
    std::string text = list ? list : messages;
    size_t start = 0;
    for (;;) {
        const size_t colon = text.find(':', start);
        std::string entry = WithoutEncoding(text.substr(start, colon == std::string::npos ? colon : colon - start));
        if (!entry.empty()) requested.push_back(std::move(entry));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return requested;
}

QString TranslationsDirectory() {
    const QDir program(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {QStringLiteral("translations"), QStringLiteral("../share/calibration-tool/translations")}) {
        const QString path = program.absoluteFilePath(candidate);
        if (QFileInfo(path).isDir()) return QDir::cleanPath(path);
    }
    return {};
}

LanguageCatalogues::~LanguageCatalogues() { Remove(); }

bool LanguageCatalogues::Load(const std::vector<std::string>& requested, const QString& directory) {
    Remove();
    language_.clear();
    for (const std::string& entry : requested) {
        if (IsEnglish(entry) || IsCLocale(entry)) return false;
        const QString wanted = QString::fromStdString(entry);
        // Region first ("de_CH"), then the language alone ("de").
        for (const QString& language : {wanted, wanted.section(u'_', 0, 0)}) {
            if (!QFileInfo::exists(directory + u'/' + QLatin1String(kCatalogueName) + language + QStringLiteral(".qm")))
                continue;
            if (!tool_.load(QLatin1String(kCatalogueName) + language, directory)) continue;
            language_ = language;
            qt_loaded_ =
                qt_.load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
            return true;
        }
    }
    return false;
}

void LanguageCatalogues::Install() {
    if (language_.isEmpty()) return;
    if (qt_loaded_) QCoreApplication::installTranslator(&qt_);
    QCoreApplication::installTranslator(&tool_);
}

void LanguageCatalogues::Remove() {
    if (QCoreApplication::instance() == nullptr) return;
    QCoreApplication::removeTranslator(&tool_);
    QCoreApplication::removeTranslator(&qt_);
}

void InstallUserLanguage() {
    static LanguageCatalogues catalogues;
    static const bool loaded = catalogues.Load(RequestedLanguages(std::getenv), TranslationsDirectory());
    if (loaded) catalogues.Install();
}

}  // namespace app
