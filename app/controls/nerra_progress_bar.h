// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TNerraProgressBar: a progress bar that paints its own frame (one of three
// styles) and its own bar colour, with a range that can be held to 16 bits
// for a platform control that knows no more.
#include <QColor>
#include <QProgressBar>
#include <cstdint>
#include <functional>

namespace app {

enum TProgressBarOrientation { poHorizontal, poVertical };
enum TPBBorder { pbLowered, pbColorEdge, pbRaised };
// Whether the platform control takes 32-bit ranges; fixed when the bar is made.
enum TProgressRangeMode { prm32Bit, prm16Bit };

class TNerraProgressBar : public QProgressBar {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    static constexpr const char* kClassName = "TNerraProgressBar";
    static inline const QColor kDefaultColor{16, 88, 200};

    explicit TNerraProgressBar(QWidget* parent = nullptr, TProgressRangeMode mode = prm32Bit);

    TProgressRangeMode RangeMode() const { return range_mode_; }

    int32_t Min() const { return minimum(); }
    void SetMin(int32_t value) { SetParams(value, Max()); }
    int32_t Max() const { return maximum(); }
    void SetMax(int32_t value) { SetParams(Min(), value); }
    // Sets both ends at once; a maximum below the minimum is refused.
    void SetParams(int32_t min, int32_t max);
    int32_t Position() const { return value(); }
    // The control clamps the position into the range, as the platform one does.
    void SetPosition(int32_t value);
    int32_t Step() const { return step_; }
    void SetStep(int32_t value) { step_ = value; }

    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation value);
    // Continuous bar instead of blocks.
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool value);

    QColor PosColor() const { return pos_color_; }
    void SetPosColor(const QColor& value);
    QColor BorderColor() const { return border_color_; }
    void SetBorderColor(const QColor& value);
    TPBBorder PBBorder() const { return pb_border_; }
    void SetPBBorder(TPBBorder value);

    // Width of the frame the control paints around the bar.
    int FrameWidth() const { return pb_border_ == pbColorEdge ? 1 : 2; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnEnabledChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CheckRange16(int32_t value) const;
    void ApplyPosColor();

    TProgressRangeMode range_mode_;
    int32_t step_ = 10;
    TProgressBarOrientation orientation_ = poHorizontal;
    bool smooth_ = false;
    QColor pos_color_ = kDefaultColor;
    QColor border_color_ = kDefaultColor;
    TPBBorder pb_border_ = pbColorEdge;
};

}  // namespace app
