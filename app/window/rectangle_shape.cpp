// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window/rectangle_shape.h"

#include <QPainter>

namespace app {

TShape::TShape(QWidget* parent) : QWidget(parent) {}

void TShape::SetBrushColor(const QColor& value) {
    brush_color_ = value;
    update();
}

void TShape::SetPenColor(const QColor& value) {
    pen_color_ = value;
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), brush_color_);
    painter.setPen(pen_color_);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace app
