#pragma once

#include <QComboBox>

// The main window's page selector: a drop-down list drawn by the program.
// Entries are 15 pixels high and show their page name 2 pixels from the
// left; the second entry carries a dotted separator line above it in the
// list (not in the selector's own field), setting the main menu apart from
// the function pages. The item data of each entry is its page index.
class CPageSelector : public QComboBox {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 15;

    explicit CPageSelector(QWidget* parent = nullptr);

    // The entry whose item data is `page`, or -1.
    int FindPage(int page) const { return findData(page); }
    // Item data of the current entry, 0 when there is none.
    int CurrentPage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
