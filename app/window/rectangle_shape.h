// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A plain rectangle with a one-pixel outline, for the speed scale and the
// target zone.
#include <QColor>
#include <QWidget>

namespace app {

class TShape : public QWidget {
    Q_OBJECT

public:
    explicit TShape(QWidget* parent = nullptr);

    QColor BrushColor() const { return brush_color_; }
    void SetBrushColor(const QColor& value);
    QColor PenColor() const { return pen_color_; }
    void SetPenColor(const QColor& value);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor brush_color_ = Qt::white;
    QColor pen_color_ = Qt::black;
};

}  // namespace app
