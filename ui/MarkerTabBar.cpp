#include "ui/MarkerTabBar.h"

#include <QMouseEvent>

namespace klt {

TMarkerTabBar::TMarkerTabBar(QWidget* parent) : QTabBar(parent) {
    setShape(QTabBar::RoundedSouth);
    setMouseTracking(true);
    setExpanding(false);
    setUsesScrollButtons(true);
    setDrawBase(false);
    setElideMode(Qt::ElideNone);
}

void TMarkerTabBar::SetTabs(const std::vector<QString>& texts, int current) {
    const int count = static_cast<int>(texts.size());
    while (this->count() > count) {
        removeTab(this->count() - 1);
    }
    for (int i = 0; i < count; ++i) {
        if (i < this->count()) {
            setTabText(i, texts[static_cast<size_t>(i)]);
        } else {
            addTab(texts[static_cast<size_t>(i)]);
        }
    }
    setCurrentIndex(std::min(current, count - 1));
}

void TMarkerTabBar::mouseMoveEvent(QMouseEvent* event) {
    QTabBar::mouseMoveEvent(event);
    const int index = tabAt(event->position().toPoint());
    if (index != hovered_) {
        hovered_ = index;
        if (index >= 0) {
            emit TabHovered(index);
        } else {
            emit TabsLeft();
        }
    }
}

void TMarkerTabBar::leaveEvent(QEvent* event) {
    QTabBar::leaveEvent(event);
    if (hovered_ >= 0) {
        hovered_ = -1;
    }
    emit TabsLeft();
}

} // namespace klt
