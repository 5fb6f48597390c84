#pragma once
// A simulated head unit on a pseudo-terminal, serving on a thread of its own.
//
//   klt::sim::TSimOptions options;
//   options.generation = 4;              // or 5; see SimOptions.h for firmware, password, faults...
//   options.clock = seconds;             // fixed start time makes the memory contents repeatable
//   klt::sim::THeadUnitSimulator sim(options);
//   sim.Start();                          // opens the pseudo-terminal and starts serving
//   open(sim.SlavePath().c_str(), ...)    // the computer's side: a serial port like any other
//   klt::sim::TSimState state = sim.State(); // what the computer told the head unit so far
//   sim.Stop();                           // also done by the destructor
//
// Generations 6 and 7 sit behind a USB chip instead: SocketPath() names the Unix socket the
// computer's simulated FTDI backend connects to (KLT_USB_SIM), and SlavePath() is empty.
// ExpectedTrainings() tells what a download of their memory should give (ExpectedTrainings.h), and
// RideAgain() records one more ride while the simulator serves.
//
// With options.ergometer the USB head unit sits on an ergometer (a rider, a flywheel and an
// eddy-current brake) that runs options.speedup times faster than real time:
//
//   options.generation = 7; options.ergometer = true; options.speedup = 20;
//   options.rider = klt::sim::TRiderKind::Steady; options.telemetryRiders = 2; // optional
//   sim.Start();                          // the rider starts pedalling 3 simulated seconds later
//   KLT_USB_SIM=sim.SocketPath()           // or TSimFtdiLink(sim.SocketPath()) for TVeltrak
//   sim.Ergometer()->Truth()               // the model's true state: brake power, speed...
//   open(sim.TelemetryPath().c_str(), ...) // with telemetryRiders: the frames, 9600 baud
//
// The head unit hears only bytes sent at its own speed (19200 baud for generation 4, 9600 for
// generation 5, 4800 with the "baud4800" fault) without parity, as its UART would; State() tells
// the clock, the writes and telegrams received, password attempts and the block download.
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/sim/ExpectedTrainings.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimState.h"

namespace klt::sim {

class TSimLine;
class THeadUnitContext;
class TRequestHeadUnit;
class TUsbSimServer;
class TLiveErgometer;
class TTelemetrySender;

class THeadUnitSimulator {
public:
    explicit THeadUnitSimulator(TSimOptions options);
    ~THeadUnitSimulator();
    THeadUnitSimulator(const THeadUnitSimulator&) = delete;
    THeadUnitSimulator& operator=(const THeadUnitSimulator&) = delete;

    // Builds the memory contents and starts serving; throws std::system_error without a
    // pseudo-terminal or socket. The slave or socket path is valid from here on.
    void Start();
    void Stop();
    const std::string& SlavePath() const;
    const std::string& SocketPath() const;
    TSimState State() const;
    const TSimOptions& Options() const { return options_; }
    // Generations 6 and 7, after Start: the trainings of every section the head unit recorded, the
    // memory as it was made and the rides RideAgain added; clearing the memory changes nothing here.
    std::vector<TExpectedTraining> ExpectedTrainings() const;
    // Generations 6 and 7, after Start, from any thread while the head unit serves: the rider rode
    // again without clearing the head unit. One more section holds a ride `minutes` long (1 to 120)
    // whose first sample comes `gapSeconds` after the end of the newest section (leading pauses, if
    // the options ask for them, come before it), recorded with that section's initials,
    // interval, slope, wheel and zero offset (of an empty memory: `gapSeconds` after the clock's
    // time, with the head unit's settings as they stand). Returns the trainings that section gives
    // on its own; ExpectedTrainings() joins it to the one before when the pause limit allows.
    std::vector<TExpectedTraining> RideAgain(int minutes, int64_t gapSeconds);
    // With options.ergometer, after Start: rider 1's ergometer (the head unit's), or with two
    // telemetry riders rider 2's; null otherwise.
    TLiveErgometer* Ergometer(int rider = 1) const;
    // With options.telemetryRiders, after Start: the pseudo-terminal the frames go out on.
    const std::string& TelemetryPath() const;

private:
    void Serve();
    void StartErgometer();

    TSimOptions options_;
    std::unique_ptr<TSimLine> line_;
    std::unique_ptr<THeadUnitContext> context_;
    std::unique_ptr<TRequestHeadUnit> requestHeadUnit_;
    std::unique_ptr<TUsbSimServer> usb_;
    std::vector<std::unique_ptr<TLiveErgometer>> ergometers_;
    std::unique_ptr<TTelemetrySender> telemetry_;
    std::thread thread_, telemetryThread_;
};

} // namespace klt::sim
