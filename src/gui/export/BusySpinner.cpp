#include "gui/export/BusySpinner.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvelle::gui {

namespace {

constexpr int kDots = 12;
constexpr int kTickMs = 80;

} // namespace

BusySpinner::BusySpinner(QWidget* parent) : QWidget(parent) {
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kDots;
        update();
    });
}

void BusySpinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_timer.start();
}

void BusySpinner::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer.stop();
}

void BusySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal radius = side * 0.38;
    const qreal dot = side * 0.075;
    const QPointF centre = rect().center() + QPointF(0.5, 0.5);
    QColor colour = palette().color(QPalette::Highlight);
    for (int i = 0; i < kDots; ++i) {
        // The dot at the head of the run is the brightest; the ones behind it fade out.
        const int behind = (m_step - i + kDots) % kDots;
        colour.setAlphaF(1.0 - 0.75 * behind / (kDots - 1));
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        const qreal angle = 2 * std::numbers::pi * i / kDots;
        const QPointF at = centre + QPointF(std::sin(angle) * radius, -std::cos(angle) * radius);
        painter.drawEllipse(at, dot, dot);
    }
}

} // namespace orvelle::gui
