// kltwin: the window program. `kltwin [FILE.klt ...] [NoVersionCheck] [NoFirmwareFlash]`;
// `--demo DIR` runs it on a demonstration database in DIR (made on the first run) with its own
// configuration there; `--simulate` adds a simulated generation 7 head unit on an ergometer on
// USB (klt-sim, a child of the program) and, without `--demo`, uses a fresh demonstration
// database that goes when the program ends; `--maximized` / `--minimized` choose the first window state, and
// `--screenshot PNG` saves a picture of the window once it has settled and quits (for docs).
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/ConfigurationPaths.h"
#include "app/SerialProbePorts.h"
#include "core/FileHistory.h"
#include "core/ForeignImport.h"
#include "core/KLTDate.h"
#include "device/transport/UsbLink.h"
#include "flow/UsbHeadUnit.h"
#include "tools/synth/DemoDatabase.h"
#include "ui/KLTApplication.h"
#include "ui/KLTMainForm.h"
#include "ui/QtPrompt.h"
#include "ui/SimulatorProcess.h"
#include "ui/ToolBarIcons.h"
#include "ui/kltwin/WindowArguments.h"

namespace {

constexpr size_t kDemoTrainingsOpened = 2;

// Points configuration and database into `dir` and makes the demonstration database there; the
// trainings to open.
std::vector<std::string> PrepareDemo(const std::string& dir, std::string& databaseDir) {
    const std::string base = klt::FullPath(dir);
    databaseDir = base + "/_DATA.KLT";
    ::setenv("KLT_CONFIG", (base + "/KLTWIN.CFG").c_str(), 1);
    ::setenv("KLT_DATABASE", databaseDir.c_str(), 1);
    std::vector<std::string> trainings =
        klt::synth::EnsureDemoDatabase(databaseDir, static_cast<uint16_t>(klt::TDateTimeMark::Now().days));
    trainings.resize(std::min(trainings.size(), kDemoTrainingsOpened));
    return trainings;
}

} // namespace

int main(int argc, char** argv) {
    // The help needs no display: it is answered before Qt looks for one.
    if (const std::vector<std::string> raw(argv + 1, argv + argc); klt::kltwin::AsksForHelp(raw)) {
        klt::kltwin::TWindowArguments ignored;
        return klt::kltwin::ReadWindowArguments(raw, ignored).value_or(0);
    }
    klt::TKLTApplication application(argc, argv);
    QApplication::setApplicationName("KLT Training System");
    QApplication::setWindowIcon(klt::ToolGlyphIcon(klt::TToolGlyph::MultiRow));
    klt::TQtPrompt prompt;
    klt::SetPrompt(&prompt);
    klt::InstallForeignImports();

    klt::TKLTMainForm::TStartup startup;
    startup.probePorts = std::make_unique<klt::TSerialProbePorts>();
    // Qt's own options are gone from these.
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        arguments.push_back(QFile::encodeName(argument).toStdString());
    }
    klt::kltwin::TWindowArguments parsed;
    if (const std::optional<int> exitStatus = klt::kltwin::ReadWindowArguments(arguments, parsed)) {
        return *exitStatus;
    }
    startup.arguments = parsed.files;
    const Qt::WindowStates state =
        parsed.maximized ? Qt::WindowMaximized : parsed.minimized ? Qt::WindowMinimized : Qt::WindowNoState;
    const QString screenshot = QFile::decodeName(parsed.screenshot.c_str());
    QString demoDir = QFile::decodeName(parsed.demoDir.c_str());
    const bool simulate = parsed.simulate;
    QTemporaryDir freshDemo;
    if (simulate && demoDir.isEmpty()) {
        if (!freshDemo.isValid()) {
            std::fprintf(stderr, "kltwin: no temporary folder for the demonstration database\n");
            return 1;
        }
        demoDir = freshDemo.path();
    }
    if (!demoDir.isEmpty()) {
        try {
            for (const std::string& training : PrepareDemo(QFile::encodeName(demoDir).toStdString(), startup.databaseDir)) {
                startup.arguments.push_back(training);
            }
            startup.tileOpened = true;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "kltwin: the demonstration database cannot be made: %s\n", e.what());
            return 1;
        }
    }
    startup.configurationPath = klt::ConfigurationFilePath();

    // The simulator outlives the window, which closes its link to the head unit when it goes.
    std::unique_ptr<klt::TSimulatorProcess> simulator;
    if (simulate) {
        try {
            simulator = std::make_unique<klt::TSimulatorProcess>(
                QApplication::applicationDirPath() + "/klt-sim", QStringList{"--generation", "7", "--ergometer"});
        } catch (const std::exception& e) {
            std::fprintf(stderr, "kltwin: the simulated head unit cannot be started: %s\n", e.what());
            return 1;
        }
        // Before the USB link is first used: it chooses the simulator then, once for the run.
        ::setenv("KLT_USB_SIM", simulator->SocketPath().c_str(), 1);
    }
    klt::UsbLink().SetErrorPrompt(&prompt);
    startup.usbHeadUnit =
        std::make_unique<klt::TVeltrakUsbHeadUnit>([] { QCoreApplication::processEvents(); }, prompt);

    int result = 0;
    {
        klt::TKLTMainForm window(std::move(startup));
        window.setWindowState(state);
        window.show();
        if (!screenshot.isEmpty()) {
            // Long enough for the command-line files to open and their windows to draw.
            QTimer::singleShot(2000, &window, [&window, &screenshot] {
                if (!window.grab().save(screenshot, "PNG")) {
                    std::fprintf(stderr, "kltwin: cannot write %s\n", qPrintable(screenshot));
                }
                QApplication::quit();
            });
        }
        result = QApplication::exec();
    }
    klt::UsbLink().SetErrorPrompt(nullptr);
    klt::SetPrompt(nullptr);
    return result;
}
