#include "flow/StateModel.h"

#include <cstdio>

#include "core/KLTDate.h"
#include "core/PRMesWrt.h"
#include "core/Texts.h"
#include "device/VeltrakExceptions.h"

namespace klt {
namespace {

constexpr int kHundredthsPerSecond = 100;

std::string ValueText(TMesswertArtType kind, double raw) {
    const TMesswertArt& art = MesswertArt(kind);
    return art.FormatValue(raw) + " " + art.FormattedUnit(mwfShort);
}

} // namespace

TKLTVtrkStateModel::TKLTVtrkStateModel(TDownloadConfiguration configuration, std::string captionTemplate,
                                       IPrompt& prompt, std::unique_ptr<TVeltrak> veltrak)
    : configuration_(std::move(configuration)),
      captionTemplate_(std::move(captionTemplate)),
      // a closing dialog turns the running exchange into an abort
      veltrak_(std::move(veltrak), status_, configuration_, prompt, [this] {
          caption_ = HeadUnitCaption(captionTemplate_, *veltrak_, configuration_, !fullRead_);
          if (closing_) {
              veltrak_->RequestAbort();
          }
      }) {
    caption_ = FormatText(captionTemplate_, {""});
}

std::optional<int> TKLTVtrkStateModel::Tick() {
    try {
        veltrak_->ProcessIdle();
        try {
            Read();
        } catch (const EVeltrakAbort&) {
            throw;
        } catch (const EVeltrak& error) {
            fullRead_ = true;
            veltrak_->AskRetry(error.what()); // cancel raises EVeltrakAbort
            return 0;
        }
    } catch (const EVeltrakAbort&) {
        return std::nullopt;
    }
    UpdateTexts();
    return 1000 - status_.ClockTime % kHundredthsPerSecond * 10;
}

void TKLTVtrkStateModel::Read() {
    if (fullRead_) {
        ConnectHeadUnit(*veltrak_, configuration_);
        veltrak_->ReadStatus();
        fullRead_ = false;
        caption_ = HeadUnitCaption(captionTemplate_, *veltrak_, configuration_, true);
    } else {
        veltrak_->ReadClock();
        veltrak_->ReadLiveValues();
    }
}

void TKLTVtrkStateModel::UpdateTexts() {
    const TVeltrakStatus& s = status_;
    texts_.power = ValueText(mwaLeistung, s.Leistung);
    char torque[32];
    std::snprintf(torque, sizeof torque, "%.1f Nm", s.Torque());
    texts_.torque = torque;
    texts_.cadence = ValueText(mwaTretfrequenz, s.Tretfrequenz);
    texts_.heartRate = ValueText(mwaHerzfrequenz, s.Herzfrequenz);
    texts_.speed = ValueText(mwaGeschwindigkeit, s.Geschwindigkeit);
    texts_.temperatureShown = s.Temperatur != kNoTemperature;
    texts_.temperature = texts_.temperatureShown ? ValueText(mwaTemperatur, s.Temperatur) : "";
    texts_.date = FormatDate(s.ClockDay, TDateForm::Short);
    texts_.time = FormatTimeOfDay(s.ClockTime, false);
    texts_.firmware = s.SWVersionText();
    texts_.hardware = s.HWVersionText();
}

} // namespace klt
