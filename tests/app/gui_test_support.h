// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the GUI tests: answering modal dialogs from inside their loop,
// and reading the pixels a widget paints.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace gui_test {

// Calls `answer` with the next modal window once it shows (from inside its
// modal loop). `answer` must close it. Gives up after `timeout_ms`.
inline void WhenModalShows(std::function<void(QWidget*)> answer, int timeout_ms = 5000) {
    auto* poll = new QTimer();
    auto* clock = new QElapsedTimer();
    clock->start();
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, clock, answer, timeout_ms] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && clock->elapsed() < timeout_ms) return;
        poll->stop();
        poll->deleteLater();
        delete clock;
        if (modal) answer(modal);
    });
    poll->start();
}

// What the widget paints, at one image pixel per widget pixel.
inline QImage Render(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A colour as a 32-bit pixel holds it (palette colours carry more bits).
inline QColor Opaque(const QColor& color) { return QColor(color.rgb()); }

inline QColor PixelAt(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

}  // namespace gui_test
