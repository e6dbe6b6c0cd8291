// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dialogs/framework_texts.h"

#include <QCoreApplication>
#include <iterator>
#include <optional>
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

// The serial line's errors (serial/com_port_errors.cpp), by code from 1.
constexpr const char* kSerialErrors[] = {
    QT_TRANSLATE_NOOP("SerialErrors", "Unable to open com port"),
    QT_TRANSLATE_NOOP("SerialErrors", "WriteFile function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "ReadFile function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "Invalid Async parameter"),
    QT_TRANSLATE_NOOP("SerialErrors", "PurgeComm function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "Unable to get async status"),
    QT_TRANSLATE_NOOP("SerialErrors", "SetCommState function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "SetCommTimeouts failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "SetupComm function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "ClearCommError function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "GetCommModemStatus function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "EscapeCommFunction function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "TransmitCommChar function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "Cannot set property while connected"),
    QT_TRANSLATE_NOOP("SerialErrors", "EnumPorts function failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "Failed to store settings"),
    QT_TRANSLATE_NOOP("SerialErrors", "Failed to load settings"),
    QT_TRANSLATE_NOOP("SerialErrors", "Link (un)registration failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "Cannot change led state if ComPort is selected"),
    QT_TRANSLATE_NOOP("SerialErrors", "Cannot wait for event if event thread is created"),
    QT_TRANSLATE_NOOP("SerialErrors", "WaitForEvent method failed"),
    QT_TRANSLATE_NOOP("SerialErrors", "A component is linked to OnRxBuf event"),
    QT_TRANSLATE_NOOP("SerialErrors", "Registry error"),
};
constexpr std::string_view kOsErrorBefore = " (win error code: ";

// "<text>" or "<text> (win error code: N)" of one of the serial line's texts.
std::optional<std::string> TranslatedSerialError(std::string_view message) {
    for (const char* source : kSerialErrors) {
        const std::string_view text = source;
        if (!message.starts_with(text)) continue;
        const std::string_view rest = message.substr(text.size());
        QString translated = QCoreApplication::translate("SerialErrors", source);
        if (rest.empty()) return translated.toStdString();
        if (!rest.starts_with(kOsErrorBefore) || !rest.ends_with(')')) continue;
        const std::string_view number = rest.substr(kOsErrorBefore.size(), rest.size() - kOsErrorBefore.size() - 1);
        translated += QCoreApplication::translate("SerialErrors", " (win error code: %1)")
                          .arg(QString::fromUtf8(number.data(), static_cast<qsizetype>(number.size())));
        return translated.toStdString();
    }
    return std::nullopt;
}

}  // namespace

std::string SerialErrorSource(int32_t code) {
    if (code < 1 || code > static_cast<int32_t>(std::size(kSerialErrors))) return {};
    return kSerialErrors[code - 1];
}

std::string TranslatedErrorText(const std::string& message) {
    if (auto serial = TranslatedSerialError(message)) return *serial;
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
