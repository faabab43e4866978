#include "child_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>

#include "zel_fatal.h"

// The exit-path tests rely on exact bytes, statuses, signals and time-outs.
TEST(ChildProcessTest, ReportsBytesStatusSignalAndTimeout) {
  ChildResult r = runInChild([] {
    fputs("sortie \xe9\n", stdout);
    fputc('\0', stdout);
    ZEL_fatalTo(stderr, "fichier %s", "x.map");
  });
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(r.out, std::string("sortie \xe9\n\0", 10));
  EXPECT_EQ(r.err, "fichier x.map");
  r = runInChild([] { raise(SIGTERM); });
  EXPECT_EQ(r.signal, SIGTERM);
  r = runInChild([] { pause(); }, 200);
  EXPECT_TRUE(r.timedOut);
}
