// CScreemWnd: shows the panel's display layer centred in a device frame,
// darkened by the backlight, and turns the mouse into touches.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

namespace tft {

class SimDevice;

class CScreemWnd : public QWidget {
    Q_OBJECT
public:
    explicit CScreemWnd(SimDevice& device, QWidget* parent = nullptr);

    // The rectangle the display occupies (screen rectangle S).
    QRect screenRect() const;
    QSize sizeHint() const override;
    // Repaints now if the device asked for it (called by the 50 ms timer).
    void refresh();
    int beepsShown() const { return beepsShown_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void touchAt(const QPoint& p, bool pressed);

    SimDevice& device_;
    QTimer timer_;
    QImage frame_;
    bool capturing_ = false;
    int beepsShown_ = 0;
    qint64 beepUntil_ = 0;
};

} // namespace tft
