#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;
class TCmdQueue;

// The "Temporary Hot Spot" group: the hot-spot radius in meters (command 9) with its Read and
// Write buttons. It sits at the top of the geo-fence page, which places it.
class TTmpHotSpotGroup : public QGroupBox {
    Q_OBJECT
public:
    TTmpHotSpotGroup(TCmdQueue& queue, QWidget* parent = nullptr);

    void btnSelfHotSpotReadClick();
    // A radius that is not an integer: nothing at all happens (no message, the queue untouched).
    void btnSelfHotSpotWriteClick();

    QLabel* lblRadius;
    QLineEdit* txtRadius;
    QPushButton* btnSelfHotSpotRead;
    QPushButton* btnSelfHotSpotWrite;

private:
    TCmdQueue& FQueue;
};
