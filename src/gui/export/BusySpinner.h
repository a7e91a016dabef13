#pragma once
/// A small painted "working" animation: a ring of dots whose brightness
/// runs round. It only ticks while it is visible.

#include <QTimer>
#include <QWidget>

namespace orvelle::gui {

class BusySpinner : public QWidget {
    Q_OBJECT
public:
    explicit BusySpinner(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {72, 72}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QTimer m_timer;
    int m_step = 0;
};

} // namespace orvelle::gui
