#include "PrivateCups.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

using namespace std::chrono_literals;

// The harness the other integration tests stand on: a queue of the private
// server delivers a job to the listener unchanged, and client tools see only
// the private server's queues.
TEST(PrivateCupsTest, RawQueueDeliversToListenerAndStaysPrivate) {
    PrivateCups cups;
    RawListener printer;
    cups.AddQueue("HarnessQueue", printer.Uri());

    const std::string file = (cups.Dir() / "job.bin").string();
    std::ofstream(file, std::ios::binary) << std::string("ab\0\xff\r\ncd", 8);
    ASSERT_EQ(cups.Run("lp -d HarnessQueue -o raw '" + file + "' >/dev/null"), 0);

    const auto jobs = printer.WaitForJobs(1, 30s);
    ASSERT_EQ(jobs.size(), 1u) << cups.ErrorLog();
    EXPECT_EQ(std::string(jobs[0].begin(), jobs[0].end()), std::string("ab\0\xff\r\ncd", 8));

    EXPECT_EQ(cups.Run("test \"$(lpstat -h \"$CUPS_SERVER\" -e)\" = HarnessQueue"), 0);
    EXPECT_EQ(std::string(getenv("CUPS_SERVER")), cups.Server());
}
