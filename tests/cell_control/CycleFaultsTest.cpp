#include "app/CycleFaults.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

TEST(CycleFaults, AProblemIsToldWhenItBeginsChangesAndEnds) {
  TCycleFaults f;
  const std::string fine;
  EXPECT_EQ(f.Cycle(3, fine, fine), Lines{});
  EXPECT_EQ(f.Cycle(4, fine, std::string(kNoAnswer)),
            Lines{"Multimeter: no answer since cycle 4; its readings are recorded as 0."});
  EXPECT_EQ(f.Cycle(5, fine, std::string(kNoAnswer)), Lines{});  // goes on: nothing new
  // Not asked (the cycle ended at the SourceMeter): the multimeter's state stays.
  EXPECT_EQ(f.Cycle(6, StatusByteProblem(""), std::nullopt),
            Lines{"SourceMeter: status byte not a number since cycle 6; its readings are "
                  "recorded as 0."});
  EXPECT_EQ(f.Cycle(7, StatusByteProblem("Failed to setup Com port, port in use"), fine),
            (Lines{"SourceMeter: no status byte (Failed to setup Com port, port in use) since "
                   "cycle 7; its readings are recorded as 0.",
                   "Multimeter: readings again from cycle 7."}));
  EXPECT_EQ(f.Cycle(8, fine, fine), Lines{"SourceMeter: readings again from cycle 8."});
  EXPECT_EQ(f.Cycle(9, fine, std::nullopt), Lines{});
}

}  // namespace
