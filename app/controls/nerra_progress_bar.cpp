// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/controls/nerra_progress_bar.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

#include "platform/exceptions.h"

namespace app {

namespace {
constexpr int32_t kMax16 = 65535;
}

TNerraProgressBar::TNerraProgressBar(QWidget* parent, TProgressRangeMode mode)
    : QProgressBar(parent), range_mode_(mode) {
    setTextVisible(false);
    QProgressBar::setRange(0, 100);
    QProgressBar::setValue(0);
    resize(150, style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    ApplyPosColor();
}

void TNerraProgressBar::CheckRange16(int32_t value) const {
    if (range_mode_ == prm16Bit && (value < 0 || value > kMax16)) {
        throw platform::Exception(
            QCoreApplication::translate("TNerraProgressBar", "La valeur doit être comprise entre %1 et %2")
                .arg(0)
                .arg(kMax16)
                .toStdString());
    }
}

void TNerraProgressBar::SetParams(int32_t min, int32_t max) {
    if (max < min) {
        throw platform::EInvalidOperation(QCoreApplication::translate("TNerraProgressBar", "Propriété %1 hors limites")
                                              .arg(QLatin1String(kClassName))
                                              .toStdString());
    }
    CheckRange16(min);
    CheckRange16(max);
    if (min == minimum() && max == maximum()) return;
    const bool min_decreased = min < minimum();
    const int32_t old_position = value();
    // The bare widget forgets a position that falls outside the new range;
    // the platform control keeps it inside, and so do we.
    QProgressBar::setRange(min, max);
    QProgressBar::setValue(min_decreased ? min : std::clamp(old_position, min, max));
}

void TNerraProgressBar::SetPosition(int32_t position) {
    CheckRange16(position);
    QProgressBar::setValue(std::clamp(position, minimum(), maximum()));
}

void TNerraProgressBar::SetOrientation(TProgressBarOrientation value) {
    if (orientation_ == value) return;
    orientation_ = value;
    setOrientation(value == poHorizontal ? Qt::Horizontal : Qt::Vertical);
    update();
}

void TNerraProgressBar::SetSmooth(bool value) {
    if (smooth_ == value) return;
    smooth_ = value;
    update();
}

void TNerraProgressBar::SetPosColor(const QColor& value) {
    pos_color_ = value;
    ApplyPosColor();
}

void TNerraProgressBar::SetBorderColor(const QColor& value) {
    border_color_ = value;
    repaint();
}

void TNerraProgressBar::SetPBBorder(TPBBorder value) {
    pb_border_ = value;
    repaint();
}

void TNerraProgressBar::ApplyPosColor() {
    QPalette p = palette();
    p.setColor(QPalette::Highlight, pos_color_);
    setPalette(p);
    update();
}

void TNerraProgressBar::resizeEvent(QResizeEvent* event) {
    QProgressBar::resizeEvent(event);
    ApplyPosColor();
}

void TNerraProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect all = rect();
    const QColor face = palette().color(QPalette::Button);
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);

    // Frame: drawn by the control itself in the chosen style.
    auto edge = [&](const QRect& r, const QColor& top_left, const QColor& bottom_right) {
        painter.setPen(top_left);
        painter.drawLine(r.left(), r.top(), r.right(), r.top());
        painter.drawLine(r.left(), r.top(), r.left(), r.bottom());
        painter.setPen(bottom_right);
        painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
    };
    switch (pb_border_) {
    case pbColorEdge:
        edge(all, border_color_, border_color_);
        break;
    case pbLowered:
        edge(all, shadow, light);
        edge(all.adjusted(1, 1, -1, -1), face, face);
        break;
    case pbRaised:
        edge(all, light, shadow);
        edge(all.adjusted(1, 1, -1, -1), face, face);
        break;
    }

    const int fw = FrameWidth();
    const QRect inside = all.adjusted(fw, fw, -fw, -fw);
    if (inside.isEmpty()) return;
    painter.fillRect(inside, face);

    const int64_t span = int64_t(maximum()) - minimum();
    const int64_t done = int64_t(value()) - minimum();
    if (span <= 0 || done <= 0) return;
    const QColor bar = palette().color(QPalette::Highlight);
    const bool horizontal = orientation_ == poHorizontal;
    const int length = horizontal ? inside.width() : inside.height();
    const int filled = static_cast<int>(length * std::min(done, span) / span);
    if (filled <= 0) return;

    painter.setClipRect(inside);
    auto fill_run = [&](int from, int count) {
        if (horizontal) {
            painter.fillRect(inside.left() + from, inside.top(), count, inside.height(), bar);
        } else {
            painter.fillRect(inside.left(), inside.bottom() + 1 - from - count, inside.width(), count, bar);
        }
    };
    if (smooth_) {
        fill_run(0, filled);
        return;
    }
    // Blocks two thirds as long as the bar is thick, two pixels apart.
    const int thickness = horizontal ? inside.height() : inside.width();
    const int block = std::max(2, thickness * 2 / 3);
    for (int from = 0; from < filled; from += block + 2) fill_run(from, std::min(block, length - from));
}

void TNerraProgressBar::enterEvent(QEnterEvent* event) {
    QProgressBar::enterEvent(event);
    if (OnMouseEnter) OnMouseEnter(this);
}

void TNerraProgressBar::leaveEvent(QEvent* event) {
    QProgressBar::leaveEvent(event);
    if (OnMouseLeave) OnMouseLeave(this);
}

void TNerraProgressBar::changeEvent(QEvent* event) {
    QProgressBar::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && OnEnabledChanged) OnEnabledChanged(this);
}

}  // namespace app
