#pragma once
/// The "working" animation of the scan page and the print window: a ring of
/// dots whose bright spot turns while the indicator runs, and a still, pale
/// ring when it is stopped. It ticks only while it is running and visible, so
/// a hidden page costs nothing.

#include <QColor>
#include <QTimer>
#include <QWidget>

namespace orvelle::gui {

class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    /// Starts turning (again).
    void start();
    /// Stops and shows the still ring.
    void stop();
    bool isRunning() const { return m_running; }

    /// The colour of the dots.
    void setColor(const QColor& color);

    QSize sizeHint() const override { return {64, 64}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void updateTimer();

    QTimer m_timer;
    QColor m_color{0x1f, 0x5f, 0xa8};
    int m_step = 0;
    bool m_running = false;
};

} // namespace orvelle::gui
