#pragma once
// The row of marker tabs: it reports the tab under the mouse so that the window can preview the
// marker, and when the mouse leaves the row.
#include <QTabBar>

namespace klt {

class TMarkerTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit TMarkerTabBar(QWidget* parent = nullptr);

    // Replaces the tabs, keeping those whose text stays, and selects `current`.
    void SetTabs(const std::vector<QString>& texts, int current);

signals:
    void TabHovered(int index);
    void TabsLeft();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int hovered_ = -1;
};

} // namespace klt
