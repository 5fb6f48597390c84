// Window tests run on the offscreen platform with one application object for the whole program.
#include <gtest/gtest.h>

#include "ui/KLTApplication.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    klt::TKLTApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
