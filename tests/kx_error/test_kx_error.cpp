// Error reporting: sign-up limits, the report text and the warning, seen through the alerts.
#include "kx/kx_error/kx_error.h"

#include "platform/plat_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Alert {
    std::string text, title;
    unsigned flags;
};
std::vector<Alert> alerts;

int capture(const char *text, const char *title, unsigned flags)
{
    alerts.push_back({text, title, flags});
    return PLAT_IDOK;
}

class KxError : public ::testing::Test {
protected:
    int32_t report = 1;
    void SetUp() override
    {
        alerts.clear();
        plat_alert_capture(capture);
        kx_error_init(&report);
        alerts.clear();
    }
    void TearDown() override { plat_alert_capture(nullptr); }
};

const char *const texts[] = {"First problem", "Second problem"};

TEST_F(KxError, ReportNamesModuleTextAndDetailThenTheCallStack)
{
    int m = kx_error_register("Widget", texts);
    EXPECT_EQ(m, 1) << "the error module itself is number 0";
    kx_error_raise(1, m, 1, "file %s", "a.txt");
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].text, "In module Widget \n\n Second problem\n\nfile a.txt");
    EXPECT_EQ(alerts[0].title, "Alert");
    EXPECT_EQ(alerts[1].text, "CallStack Disabled in this version");
    EXPECT_EQ(alerts[1].title, "");
    EXPECT_STREQ(kx_error_pending.detail, "") << "the detail is cleared after a report";
}

TEST_F(KxError, EmptyDetailKeepsTheSeparatorsAndALocationIsAppended)
{
    int m = kx_error_register("Widget", texts);
    kx_error_raise(1, m, 0);
    ASSERT_FALSE(alerts.empty());
    EXPECT_EQ(alerts[0].text, "In module Widget \n\n First problem\n\n");
    alerts.clear();
    kx_error_set_location("w.cpp", 12);
    kx_error_raise(1, m, 0);
    EXPECT_EQ(alerts[0].text, "In module Widget \n\n First problem\n\n\n\n(File: w.cpp, Line: 12)");
    kx_error_pending.location[0] = 0;
}

TEST_F(KxError, SilentWithoutTheReportFlag)
{
    int m = kx_error_register("Quiet", texts);
    kx_error_raise(0, m, 1, "kept");
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(kx_error_pending.module, m);
    EXPECT_EQ(kx_error_pending.code, 1);
}

TEST_F(KxError, HundredModulesAtMostAndNamesCutToForty)
{
    std::string long_name(41, 'x');
    int m = kx_error_register(long_name.c_str(), texts);
    EXPECT_STREQ(kx_error_module_name(m), std::string(40, 'x').c_str());
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts[0].text.find("Module name over 40 characters"), std::string::npos);
    for (int i = kx_error_register("m", texts); i < KX_ERROR_MAX_MODULES - 1; i = kx_error_register("m", texts)) {
    }
    alerts.clear();
    EXPECT_EQ(kx_error_register("one too many", texts), -1);
    ASSERT_FALSE(alerts.empty());
    EXPECT_NE(alerts[0].text.find("Too many modules in kx_error"), std::string::npos);
}

TEST_F(KxError, WarningShowsItsTextAndTheCallStack)
{
    kx_error_warning("Something odd");
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].text, "Something odd");
    EXPECT_EQ(alerts[0].title, "Alert");
    EXPECT_EQ(alerts[1].text, "CallStack Disabled in this version");
}

} // namespace
