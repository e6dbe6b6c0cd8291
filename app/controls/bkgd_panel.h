// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TBkgdPanel: a panel that paints its own bevels in colours derived from its
// own colour (lighter and darker by fixed intensities) and can tile a
// background image under them.
#include <QColor>
#include <QFrame>
#include <QPixmap>
#include <QString>
#include <cstdint>

namespace app {

enum TPanelBevel { bvNone, bvLowered, bvRaised };
enum TPanelBorderStyle { bsNone, bsSingle };

class TBkgdPanel : public QFrame {
    Q_OBJECT

public:
    explicit TBkgdPanel(QWidget* parent = nullptr);

    // Places a child at client coordinates (inside the border edge).
    void PlaceChild(QWidget* child, int left, int top, int width, int height) const;
    // Offset of the client area within the widget (the border edge's width).
    int ClientOffset() const { return border_style_ == bsSingle ? 2 : 0; }

    QColor Color() const { return color_; }
    void SetColor(const QColor& value);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& value);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment value);
    TPanelBevel BevelOuter() const { return bevel_outer_; }
    void SetBevelOuter(TPanelBevel value);
    TPanelBevel BevelInner() const { return bevel_inner_; }
    void SetBevelInner(TPanelBevel value);
    int BevelWidth() const { return bevel_width_; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return border_width_; }
    void SetBorderWidth(int value);
    // bsSingle: a two-pixel sunken edge around the client area.
    TPanelBorderStyle BorderStyle() const { return border_style_; }
    void SetBorderStyle(TPanelBorderStyle value);

    const QPixmap& Background() const { return background_; }
    void SetBackground(const QPixmap& value);
    int8_t LightColorIntensity() const { return light_intensity_; }
    void SetLightColorIntensity(int8_t value);
    int8_t ShadowColorIntensity() const { return shadow_intensity_; }
    void SetShadowColorIntensity(int8_t value);
    bool DrawEdges() const { return draw_edges_; }
    void SetDrawEdges(bool value);
    QColor EdgeColor() const { return edge_color_; }
    void SetEdgeColor(const QColor& value);
    // Kept for the forms that store them; the painting does not use them.
    bool ForSequence = false;
    QString SpecialParentName;
    bool UseBackStyle = false;
    bool UseFirstColor = false;

    // The panel colour with the intensity added to (or, negative, taken from)
    // each component, clamped to 0..255.
    static QColor Shifted(const QColor& color, int delta);
    QColor LightColor() const { return Shifted(color_, light_intensity_); }
    QColor ShadowColor() const { return Shifted(color_, -shadow_intensity_); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintBevel(class QPainter& painter, QRect& rect, TPanelBevel bevel) const;

    QColor color_;
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    TPanelBevel bevel_outer_ = bvRaised;
    TPanelBevel bevel_inner_ = bvNone;
    int bevel_width_ = 1;
    int border_width_ = 0;
    TPanelBorderStyle border_style_ = bsNone;
    QPixmap background_;
    int8_t light_intensity_ = 40;
    int8_t shadow_intensity_ = 64;
    bool draw_edges_ = false;
    QColor edge_color_{255, 255, 0};
};

}  // namespace app
