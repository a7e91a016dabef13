#include "gui/common/BusyIndicator.h"

#include <QPainter>
#include <cmath>

namespace orvelle::gui {

namespace {

constexpr int kDots = 12;
constexpr int kFrameMilliseconds = 80;

} // namespace

BusyIndicator::BusyIndicator(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer.setInterval(kFrameMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_step = (m_step + 1) % kDots;
        update();
    });
}

void BusyIndicator::start() {
    m_running = true;
    updateTimer();
    update();
}

void BusyIndicator::stop() {
    m_running = false;
    updateTimer();
    update();
}

void BusyIndicator::setColor(const QColor& color) {
    m_color = color;
    update();
}

void BusyIndicator::updateTimer() {
    if (m_running && isVisible())
        m_timer.start();
    else
        m_timer.stop();
}

void BusyIndicator::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateTimer();
}

void BusyIndicator::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateTimer();
}

void BusyIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    const qreal dot = side / 7.0;
    const qreal radius = side / 2.0 - dot / 2.0 - 1.0;
    painter.translate(width() / 2.0, height() / 2.0);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < kDots; ++i) {
        QColor color = m_color;
        if (m_running) {
            // The head of the turning spot is brightest; the dots behind it fade out.
            const int behind = (m_step - i + kDots) % kDots;
            color.setAlphaF(std::max(0.15, 1.0 - behind * 0.085));
        } else {
            color.setAlphaF(0.25);
        }
        const qreal angle = 2.0 * M_PI * i / kDots - M_PI / 2.0;
        const QPointF centre(radius * std::cos(angle), radius * std::sin(angle));
        painter.setBrush(color);
        painter.drawEllipse(centre, dot / 2.0, dot / 2.0);
    }
}

} // namespace orvelle::gui
