#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include "core/shared/uGuard.h"

using namespace emberdell;

namespace {

TEST(Guard, WhatEscapesBecomesTheErrorBoxText) {
  struct TCase {
    const char* What;
    std::function<void()> Throw;
    std::string Expected;
  };
  const TCase Cases[] = {
      {"out of memory", [] { throw std::bad_alloc(); }, "Out of memory"},
      {"a runtime error", [] { throw std::runtime_error("Disk full"); }, "Disk full"},
      {"an empty message", [] { throw std::runtime_error(""); }, "Unexpected error"},
      {"no exception class", [] { throw 7; }, "Unexpected error"},
      {"a system error", [] { throw std::system_error(std::make_error_code(std::errc::permission_denied)); },
       std::system_error(std::make_error_code(std::errc::permission_denied)).what()},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    std::string Seen;
    EXPECT_FALSE(RunGuarded(Case.Throw, [&](const std::exception_ptr& E) { Seen = ExceptionMessage(E); }));
    EXPECT_EQ(Seen, Case.Expected);
  }
  // A file system error names its file.
  std::string Seen;
  RunGuarded([] { throw std::filesystem::filesystem_error("cannot open", "a.wyk", std::error_code(2, std::generic_category())); },
             [&](const std::exception_ptr& E) { Seen = ExceptionMessage(E); });
  EXPECT_NE(Seen.find("a.wyk"), std::string::npos) << Seen;
  EXPECT_EQ(ExceptionMessage(nullptr), "Unexpected error");
}

TEST(Guard, ABodyThatReturnsIsNotReportedAndAFailingReportStaysInside) {
  int Reports = 0;
  EXPECT_TRUE(RunGuarded([] {}, [&](const std::exception_ptr&) { ++Reports; }));
  EXPECT_EQ(Reports, 0);
  // The reporter itself may fail (no memory for the message): still nothing escapes.
  EXPECT_FALSE(RunGuarded([] { throw std::bad_alloc(); }, [](const std::exception_ptr&) { throw 1; }));
  EXPECT_FALSE(RunGuarded([] { throw std::bad_alloc(); }));
}

}  // namespace
