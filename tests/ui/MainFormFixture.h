#pragma once
// A main window on a database in a temporary folder, for the window tests.
#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/KLTFileRegistry.h"
#include "core/TrainingEnvironment.h"
#include "tests/support/MemoryTraining.h"
#include "tests/support/RawTraining.h"
#include "ui/KLTChildForm.h"
#include "ui/KLTMainForm.h"

namespace klt {

class KLTMainFormTest : public testing::Test {
protected:
    KLTMainFormTest() { std::filesystem::create_directories(databaseDir); }
    ~KLTMainFormTest() override {
        form.reset();
        TrainingEnvironment() = TTrainingEnvironment();
        KLTFileRegistry().Trim(0);
    }

    TKLTMainForm& MakeForm(std::vector<std::string> arguments = {},
                           std::unique_ptr<IProbePorts> ports = nullptr,
                           std::unique_ptr<IUsbHeadUnit> usbHeadUnit = nullptr) {
        TKLTMainForm::TStartup startup;
        startup.configurationPath = dir.File("KLTWIN.CFG");
        startup.databaseDir = databaseDir;
        startup.arguments = std::move(arguments);
        startup.probePorts = std::move(ports);
        startup.usbHeadUnit = std::move(usbHeadUnit);
        form = std::make_unique<TKLTMainForm>(std::move(startup));
        form->resize(1000, 700);
        form->show();
        return *form;
    }
    // A training outside the database.
    std::string Outside(const std::string& name, const std::string& initials = "JD", uint16_t date = 53000) {
        const std::string path = dir.File(name);
        test::WriteTraining(path, initials, date);
        return path;
    }
    std::vector<TKLTChildForm*> Documents() const { return form->Documents(); }
    QAction* Action(const char* name) const { return form->findChild<QAction*>(name); }
    void Drop(const std::vector<std::string>& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
        }
        data.setUrls(urls);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window, as the drag manager delivers it; the application object lets
        // no drop through without a drag in progress.
        static_cast<QObject&>(*form).event(&drop);
    }

    test::TTempDir dir;
    std::string databaseDir = dir.File("_DATA.KLT");
    std::unique_ptr<TKLTMainForm> form;
};

} // namespace klt
