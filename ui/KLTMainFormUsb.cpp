// The USB watch of the frame window: a timer and the USB device notifications drive the poll,
// which decides everything; here it is only shown.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QSocketNotifier>
#include <QStatusBar>
#include <QTimer>

#include "app/KLTMainStartup.h"
#include "device/transport/UsbClass.h"
#include "ui/KLTMainForm.h"

namespace klt {

void TKLTMainForm::CreateUsbWatch(std::unique_ptr<IUsbHeadUnit> headUnit) {
    usbStatus_ = new QLabel(this);
    usbStatus_->setObjectName("UsbStatus");
    statusBar()->addPermanentWidget(usbStatus_);
    if (headUnit == nullptr) {
        return;
    }
    usbHeadUnit_ = std::move(headUnit);
    usbPoll_ = std::make_unique<TUsbPoll>(*usbHeadUnit_, *optionTree_, static_cast<IUsbPollView&>(*this));
    usbTimer_ = new QTimer(this);
    usbTimer_->setInterval(TUsbPoll::kIntervalMs);
    connect(usbTimer_, &QTimer::timeout, this, &TKLTMainForm::RunUsbPoll);

    usbClass_ = std::make_unique<TUsbClass>();
    usbClass_->OnUsbArrival = [this](TUsbClass&) { RunUsbPoll(); };
    usbClass_->OnUsbRemoval = [this](TUsbClass&) { RunUsbPoll(); };
    if (usbClass_->Fd() >= 0) {
        usbNotifier_ = new QSocketNotifier(usbClass_->Fd(), QSocketNotifier::Read, this);
        connect(usbNotifier_, &QSocketNotifier::activated, this, [this] { usbClass_->Dispatch(); });
    }
}

void TKLTMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The watch starts with the window, so a head unit attached already is found at once.
    if (usbTimer_ != nullptr && !usbTimer_->isActive()) {
        usbTimer_->start();
        QTimer::singleShot(0, this, &TKLTMainForm::RunUsbPoll);
    }
}

void TKLTMainForm::RunUsbPoll() {
    // The timer is off while a poll runs; a question asked during one lets events, and with them
    // further notifications, through.
    if (usbTimer_ == nullptr || !usbTimer_->isActive()) {
        return;
    }
    usbTimer_->stop();
    try {
        usbPoll_->Poll();
    } catch (const std::exception& error) {
        OnCommandFailed(error);
    }
    usbTimer_->start();
}

bool TKLTMainForm::RunHeadUnitCommand(const std::function<void()>& command) {
    if (usbPoll_ == nullptr) {
        command();
        return true;
    }
    if (!usbPoll_->HeadUnitGate()) {
        return false;
    }
    RunWithUsbWatchPaused(command);
    return true;
}

void TKLTMainForm::RunWithUsbWatchPaused(const std::function<void()>& command) {
    if (usbPoll_ == nullptr) {
        command();
        return;
    }
    TUsbPoll::TPause pause(*usbPoll_);
    command();
}

void TKLTMainForm::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TKLTMainForm::HeadUnitChanged() {
    const std::string selectorText = usbPoll_->SelectorText();
    while (veltrakSelect_->count() > static_cast<int>(kHeadUnitSelectorItems.size())) {
        veltrakSelect_->removeItem(veltrakSelect_->count() - 1);
    }
    const bool attached = !selectorText.empty();
    if (attached) {
        veltrakSelect_->addItem(QString::fromStdString(selectorText));
        veltrakSelect_->setCurrentIndex(veltrakSelect_->count() - 1);
    } else {
        veltrakSelect_->setCurrentIndex(HeadUnitSelectorItem(*optionTree_));
    }
    veltrakSelect_->setEnabled(!attached);
    actions_.reset->setEnabled(attached);
    usbStatus_->setText(QString::fromStdString(usbPoll_->StatusText()));
    if (!attached) {
        statusBar()->showMessage("No Veltrak on USB", 5000);
    } else if (gateWait_ != nullptr) {
        gateWait_->quit();
    }
}

void TKLTMainForm::OpenFirmwareWindow() {
    // The firmware update has no window yet: agreeing to the offer changes nothing for now, and
    // the FlashFirmware command stays disabled.
}

void TKLTMainForm::WaitForHeadUnit(int milliseconds) {
    QEventLoop wait;
    gateWait_ = &wait;
    QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
    wait.exec();
    gateWait_ = nullptr;
}

} // namespace klt
