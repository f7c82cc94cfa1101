#include "common/SkipLog.h"

#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace testenv {

void SkipLog::installFromEnvironment() {
    const char *path = std::getenv("ORVALIS_SKIP_LOG");
    if (path && *path)
        ::testing::UnitTest::GetInstance()->listeners().Append(new SkipLog(path));
}

void SkipLog::OnTestPartResult(const ::testing::TestPartResult &result) {
    if (result.skipped())
        reason_ = result.message();
}

void SkipLog::OnTestEnd(const ::testing::TestInfo &info) {
    if (!info.result()->Skipped())
        return;
    std::string reason = reason_.empty() ? std::string("(no reason given)") : reason_;
    for (char &c : reason)
        if (c == '\n' || c == '\t')
            c = ' ';
    const std::string line = std::string(info.test_suite_name()) + '.' + info.name() + '\t' + reason + '\n';
    const int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
}

} // namespace testenv
