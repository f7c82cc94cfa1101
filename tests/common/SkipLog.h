#pragma once
// Writes a line "<suite>.<test>\t<reason>" for every skipped test to the file named by the
// environment variable ORVALIS_SKIP_LOG, so that a run of many test programs can be held to a
// list of accepted reasons (tools/check-skips.sh). Lines are appended with one write each, so
// programs running side by side can share the file.
#include <gtest/gtest.h>

#include <string>

namespace testenv {

class SkipLog : public ::testing::EmptyTestEventListener {
public:
    // Installs a log when the variable is set; otherwise does nothing.
    static void installFromEnvironment();

    explicit SkipLog(std::string path) : path_(std::move(path)) {}
    void OnTestStart(const ::testing::TestInfo &) override { reason_.clear(); }
    void OnTestPartResult(const ::testing::TestPartResult &result) override;
    void OnTestEnd(const ::testing::TestInfo &info) override;

private:
    std::string path_;
    std::string reason_;
};

} // namespace testenv
