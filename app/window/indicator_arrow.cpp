// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/indicator_arrow.h"

#include <QPainter>
#include <QPolygon>

namespace app {

TArrowIndicator::TArrowIndicator(QWidget* parent) : QWidget(parent) {
    // Only the glyph is painted; whatever lies under the box shows through.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
}

void TArrowIndicator::SetLit(bool value) {
    if (lit_ == value) return;
    lit_ = value;
    update();
}

void TArrowIndicator::SetLowColor(const QColor& value) {
    low_color_ = value;
    update();
}

void TArrowIndicator::SetHighColor(const QColor& value) {
    high_color_ = value;
    update();
}

QPoint TArrowIndicator::GlyphOrigin() const {
    return QPoint((width() - kGlyphWidth) / 2, (height() - kGlyphHeight + 1) / 2);
}

QPoint TArrowIndicator::TipPixel() const {
    return GlyphOrigin() + QPoint(kGlyphWidth / 2, kGlyphHeight - 1);
}

void TArrowIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.translate(GlyphOrigin());
    // Shaft 11 pixels wide over the upper half, head across the full width
    // narrowing to a one-pixel tip on the bottom row. Coordinates are pixel
    // positions; the outline runs through the outermost pixels.
    const int w = kGlyphWidth - 1;   // 26: last column
    const int h = kGlyphHeight - 1;  // 27: last row
    const int mid = w / 2;           // 13: the tip's column
    const int shaft_half = 5;
    const int head_top = h - mid;    // 14: the head's 45-degree sides end at the tip
    const QPolygon arrow({
        QPoint(mid - shaft_half, 0),
        QPoint(mid + shaft_half, 0),
        QPoint(mid + shaft_half, head_top),
        QPoint(w, head_top),
        QPoint(mid, h),
        QPoint(0, head_top),
        QPoint(mid - shaft_half, head_top),
    });
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(lit_ ? high_color_ : low_color_);
    painter.drawPolygon(arrow);
}

}  // namespace app
