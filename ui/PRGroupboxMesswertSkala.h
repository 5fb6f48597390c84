#pragma once
// Editor of the visible window of a measurement kind: whether it is shown, its lower and upper
// end and its width; stepping moves the scale by its own steps.
#include <QGroupBox>

#include "core/PRMesWrt.h"

class QCheckBox;
class QLabel;

namespace klt {

class TMesswertSkala;
class TPREditMesswert;

class TPRGroupboxMesswertSkala : public QGroupBox {
    Q_OBJECT

public:
    explicit TPRGroupboxMesswertSkala(QWidget* parent = nullptr);

    // The scale edited (not owned); its kind becomes the box's kind. nullptr detaches.
    void SetSkala(TMesswertSkala* skala);
    TMesswertSkala* Skala() const { return skala_; }

    void SetShowCheckboxVisible(bool show);
    // The scale is always shown: the check box stays checked and cannot be changed.
    void SetAllwaysVisible(bool always);
    void SetFieldWidth(int width);
    void SetMesswertNKSt(int decimals);
    void SetMesswertTSep(bool withThousands);
    void SetMesswertMin(double raw);
    void SetMesswertMax(double raw);
    void SetMesswertAccelChar(char accelerator);

    QCheckBox& VisibleBox() const { return *visible_; }
    TPREditMesswert& FromEdit() const { return *from_; }
    TPREditMesswert& ToEdit() const { return *to_; }
    TPREditMesswert& DistanceEdit() const { return *distance_; }

signals:
    void SkalaChanged();

private:
    TMesswertArtType Kind() const;
    void Refresh();
    void ShowValues();
    void SetLimits();
    void Step(void (TMesswertSkala::*step)(int), int count);
    void Changed();

    TMesswertSkala* skala_ = nullptr;
    QCheckBox* visible_;
    TPREditMesswert* from_;
    TPREditMesswert* to_;
    TPREditMesswert* distance_;
    QLabel* fromLabel_;
    QLabel* toLabel_;
    QLabel* distanceLabel_;
    bool allwaysVisible_ = false;
    double minimum_ = -1e14;
    double maximum_ = 1e14;
    char accelerator_ = ' ';
};

} // namespace klt
