// A running bench and one client on it.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "sim/SimBench.h"
#include "tests/sim/PtyClient.h"

namespace simtest {

// Options for tests where timing does not matter: fast measurements, no pacing, no noise.
inline sim::BenchOptions FastOptions() {
  sim::BenchOptions o;
  o.SpeedFactor = 50;
  o.PaceOutput = false;
  o.Cell.NoiseMicroVolt = 0;
  return o;
}

class BenchTest : public ::testing::Test {
 protected:
  void StartBench(const sim::BenchOptions& o = FastOptions()) {
    bench_ = std::make_unique<sim::Bench>(o);
    std::string error;
    ASSERT_TRUE(bench_->Start(&error)) << error;
    client_ = std::make_unique<PtyClient>(bench_->DevicePath());
    ASSERT_TRUE(client_->IsOpen());
  }
  void TearDown() override {
    client_.reset();
    if (bench_) bench_->Stop();
  }
  PtyClient& Client() { return *client_; }
  sim::Bench& Bench() { return *bench_; }

  // Addresses an instrument (the controller gives no reply).
  void Address(int a) { client_->Send("++addr " + std::to_string(a)); }
  std::string Query(const std::string& m) { return client_->Query(m); }
  std::string Poll() { return client_->Controller("++spoll"); }
  // The next entry of the addressed instrument's error queue.
  std::string NextError() { return Query(":SYST:ERR?"); }

  std::unique_ptr<sim::Bench> bench_;
  std::unique_ptr<PtyClient> client_;
};

}  // namespace simtest
