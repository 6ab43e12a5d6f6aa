#pragma once

#include <QStringList>
#include <QWidget>

namespace brindle {

// A key combination as a row of small key caps, one per key, in the secondary tone.
class KeyCaps : public QWidget {
    Q_OBJECT

public:
    explicit KeyCaps(const QStringList& keys, QWidget* parent = nullptr);

    void setKeys(const QStringList& keys);
    [[nodiscard]] const QStringList& keys() const { return keys_; }
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QList<QRectF> capRects() const;

    QStringList keys_;
};

} // namespace brindle
