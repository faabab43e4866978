#include "child_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "zel_fatal.h"

TEST(ChildProcessTest, CapturesExactBytesAndStatus) {
  ChildResult r = runInChild([] {
    fputs("sortie \xe9\n", stdout);
    fputs("erreur", stderr);
    fputc('\0', stdout);
  });
  EXPECT_TRUE(r.exited);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, std::string("sortie \xe9\n\0", 10));
  EXPECT_EQ(r.err, "erreur");

  r = runInChild([] { ZEL_fatal("fichier %s", "x.map"); });
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(r.out, "fichier x.map");

  r = runInChild([] { ZEL_fatalTo(stderr, "sur stderr\n"); });
  EXPECT_EQ(r.exitCode, 255);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "sur stderr\n");
}

TEST(ChildProcessTest, LargeOutputOnBothStreamsDoesNotBlock) {
  const size_t bytes = 1 << 20;  // far beyond a pipe's buffer
  const ChildResult r = runInChild([bytes] {
    for (size_t i = 0; i < bytes; ++i) {
      fputc('o', stdout);
      fputc('e', stderr);
    }
  });
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.size(), bytes);
  EXPECT_EQ(r.err.size(), bytes);
}

TEST(ChildProcessTest, ReportsSignalsAndTimeouts) {
  ChildResult r = runInChild([] { raise(SIGTERM); });
  EXPECT_FALSE(r.exited);
  EXPECT_EQ(r.signal, SIGTERM);

  r = runInChild([] { pause(); }, 200);
  EXPECT_TRUE(r.timedOut);
  EXPECT_EQ(r.signal, SIGKILL);
}
