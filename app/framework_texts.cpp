// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/framework_texts.h"

#include <QCoreApplication>
#include <string_view>

namespace app {
namespace {

struct MessageForm {
    std::string_view raised;  // as the core formats it, one %s
    const char* source;       // the same with %1, as the catalogues know it
};

// The core's texts, character for character (platform/format.cpp,
// platform/settings_store.cpp).
constexpr MessageForm kForms[] = {
    {"'%s' is not a valid integer value", QT_TRANSLATE_NOOP("FrameworkErrors", "'%1' is not a valid integer value")},
    {"'%s' is not a valid floating point value",
     QT_TRANSLATE_NOOP("FrameworkErrors", "'%1' is not a valid floating point value")},
    {"Type de données incorrect pour '%s'",
     QT_TRANSLATE_NOOP("FrameworkErrors", "Type de données incorrect pour '%1'")},
};

}  // namespace

std::string TranslatedErrorText(const std::string& message) {
    const std::string_view text = message;
    for (const MessageForm& form : kForms) {
        const size_t at = form.raised.find("%s");
        const std::string_view before = form.raised.substr(0, at);
        const std::string_view after = form.raised.substr(at + 2);
        if (text.size() < before.size() + after.size() || !text.starts_with(before) || !text.ends_with(after)) continue;
        const std::string_view argument = text.substr(before.size(), text.size() - before.size() - after.size());
        return QCoreApplication::translate("FrameworkErrors", form.source)
            .arg(QString::fromUtf8(argument.data(), static_cast<qsizetype>(argument.size())))
            .toStdString();
    }
    return message;
}

}  // namespace app
