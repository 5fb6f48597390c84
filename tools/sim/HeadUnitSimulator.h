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
// The head unit hears only bytes sent at its own speed (19200 baud for generation 4, 9600 for
// generation 5, 4800 with the "baud4800" fault) without parity, as its UART would; State() tells
// the clock, the writes and telegrams received, password attempts and the block download.
#include <memory>
#include <string>
#include <thread>

#include "tools/sim/ExpectedTrainings.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimState.h"

namespace klt::sim {

class TSimLine;
class THeadUnitContext;
class TRequestHeadUnit;
class TUsbSimServer;

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

private:
    void Serve();

    TSimOptions options_;
    std::unique_ptr<TSimLine> line_;
    std::unique_ptr<THeadUnitContext> context_;
    std::unique_ptr<TRequestHeadUnit> requestHeadUnit_;
    std::unique_ptr<TUsbSimServer> usb_;
    std::thread thread_;
};

} // namespace klt::sim
