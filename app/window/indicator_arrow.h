// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The arrow glyph control: a downward arrow with a black outline, filled in
// the palette's high colour when lit and its low colour when not, centred in
// an otherwise transparent box.
#include <QColor>
#include <QWidget>

namespace app {

class TArrowIndicator : public QWidget {
    Q_OBJECT

public:
    static constexpr int kGlyphWidth = 27;
    static constexpr int kGlyphHeight = 28;

    explicit TArrowIndicator(QWidget* parent = nullptr);

    bool Lit() const { return lit_; }
    void SetLit(bool value);
    QColor LowColor() const { return low_color_; }
    void SetLowColor(const QColor& value);
    QColor HighColor() const { return high_color_; }
    void SetHighColor(const QColor& value);

    // Where the glyph sits in the box: centred, as the box was laid out for.
    QPoint GlyphOrigin() const;
    // The tip's pixel, in box coordinates.
    QPoint TipPixel() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool lit_ = true;
    QColor low_color_ = QColor(0, 128, 0);
    QColor high_color_ = QColor(0, 255, 0);
};

}  // namespace app
