// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls/bkgd_panel.h"

#include <QPainter>
#include <algorithm>

namespace app {

TBkgdPanel::TBkgdPanel(QWidget* parent) : QFrame(parent) {
    color_ = palette().color(QPalette::Button);
    setFrameStyle(QFrame::NoFrame);
}

void TBkgdPanel::PlaceChild(QWidget* child, int left, int top, int width, int height) const {
    child->setGeometry(left + ClientOffset(), top + ClientOffset(), width, height);
}

QColor TBkgdPanel::Shifted(const QColor& color, int delta) {
    auto shift = [delta](int component) { return std::clamp(component + delta, 0, 255); };
    return QColor(shift(color.red()), shift(color.green()), shift(color.blue()));
}

void TBkgdPanel::SetColor(const QColor& value) {
    color_ = value;
    update();
}
void TBkgdPanel::SetCaption(const QString& value) {
    caption_ = value;
    update();
}
void TBkgdPanel::SetAlignment(Qt::Alignment value) {
    alignment_ = value;
    update();
}
void TBkgdPanel::SetBevelOuter(TPanelBevel value) {
    bevel_outer_ = value;
    update();
}
void TBkgdPanel::SetBevelInner(TPanelBevel value) {
    bevel_inner_ = value;
    update();
}
void TBkgdPanel::SetBevelWidth(int value) {
    bevel_width_ = std::max(1, value);
    update();
}
void TBkgdPanel::SetBorderWidth(int value) {
    border_width_ = std::max(0, value);
    update();
}
void TBkgdPanel::SetBorderStyle(TPanelBorderStyle value) {
    border_style_ = value;
    update();
}
void TBkgdPanel::SetBackground(const QPixmap& value) {
    background_ = value;
    update();
}
void TBkgdPanel::SetLightColorIntensity(int8_t value) {
    light_intensity_ = value;
    update();
}
void TBkgdPanel::SetShadowColorIntensity(int8_t value) {
    shadow_intensity_ = value;
    update();
}
void TBkgdPanel::SetDrawEdges(bool value) {
    draw_edges_ = value;
    update();
}
void TBkgdPanel::SetEdgeColor(const QColor& value) {
    edge_color_ = value;
    update();
}

namespace {
// One-pixel frame: top and left in one colour, bottom and right in the other.
void Frame3D(QPainter& painter, const QRect& r, const QColor& top_left, const QColor& bottom_right) {
    painter.setPen(top_left);
    painter.drawLine(r.left(), r.top(), r.right(), r.top());
    painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
    painter.setPen(bottom_right);
    painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
}
}  // namespace

// Draws the bevel inside rect and shrinks rect by its width.
void TBkgdPanel::PaintBevel(QPainter& painter, QRect& rect, TPanelBevel bevel) const {
    if (bevel == bvNone) return;
    const QColor light = LightColor();
    const QColor shadow = ShadowColor();
    for (int i = 0; i < bevel_width_ && !rect.isEmpty(); ++i) {
        if (bevel == bvRaised) {
            Frame3D(painter, rect, light, shadow);
        } else {
            Frame3D(painter, rect, shadow, light);
        }
        rect.adjust(1, 1, -1, -1);
    }
}

void TBkgdPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect client = rect();
    if (border_style_ == bsSingle) {
        const QPalette& p = palette();
        Frame3D(painter, client, p.color(QPalette::Dark), p.color(QPalette::Light));
        client.adjust(1, 1, -1, -1);
        Frame3D(painter, client, p.color(QPalette::Shadow), p.color(QPalette::Midlight));
        client.adjust(1, 1, -1, -1);
    }
    if (client.isEmpty()) return;

    if (!background_.isNull()) {
        painter.save();
        painter.setClipRect(client);
        painter.drawTiledPixmap(client, background_, QPoint(0, 0));
        painter.restore();
    } else {
        painter.fillRect(client, color_);
    }

    QRect r = client;
    PaintBevel(painter, r, bevel_outer_);
    r.adjust(border_width_, border_width_, -border_width_, -border_width_);
    PaintBevel(painter, r, bevel_inner_);

    if (draw_edges_ && !client.isEmpty()) {
        // A decorative double line: the edge colour, then the panel's light
        // colour just inside it.
        const QRect outer = client.adjusted(bevel_width_, bevel_width_, -bevel_width_, -bevel_width_);
        Frame3D(painter, outer, edge_color_, edge_color_);
        Frame3D(painter, outer.adjusted(1, 1, -1, -1), LightColor(), ShadowColor());
    }

    if (!background_.isNull() && !caption_.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        const Qt::Alignment horizontal = alignment_ & Qt::AlignHorizontal_Mask;
        painter.drawText(r, int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine), caption_);
    }
}

}  // namespace app
