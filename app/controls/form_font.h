// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The font the forms were laid out for: 8 points at 96 dots per inch, an
// 11-pixel character height. Where the face itself is missing the system's
// sans-serif face of the same pixel size stands in, so the layouts still fit.
#include <QFont>

namespace app {

inline QFont FormFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

}  // namespace app
