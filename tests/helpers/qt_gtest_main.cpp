// SPDX-License-Identifier: GPL-3.0-or-later
// main() for the widget tests: a QApplication around GoogleTest. Test discovery runs the binary
// with --gtest_list_tests and no display settings, so no application is made for a listing.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
