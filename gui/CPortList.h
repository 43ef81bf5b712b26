#pragma once

#include <QComboBox>
#include <QString>

#include <vector>

struct CPortEntry;

// The transfer dialog's port list: the entries it is given, then "Other…".
// Closed, it shows an entry's short name ("COM1", "ttyUSB0") and the whole
// entry as its tool tip; open, it is as wide as its longest entry. It asks for
// its entries anew each time it opens.
class CPortList : public QComboBox {
    Q_OBJECT
public:
    explicit CPortList(QWidget* parent = nullptr);

    // Shows the entries and selects one. Emits no change.
    void SetEntries(const std::vector<CPortEntry>& entries, int selected);
    // The short name the closed list shows.
    QString ShownText() const;

    void showPopup() override;

signals:
    // The list is about to open.
    void opening();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QString> m_shortNames;
};
