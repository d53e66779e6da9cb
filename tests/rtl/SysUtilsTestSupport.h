// Test helpers: FormatSettings and the code page are process-wide, so every
// test that changes them restores them when it ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "CodePage.h"
#include "SysUtils.h"

class TSettingsGuard {
public:
  TSettingsGuard() : FSaved(FormatSettings()), FPage(AnsiCodePage()) {}
  ~TSettingsGuard() {
    FormatSettings() = FSaved;
    SetAnsiCodePage(FPage);
  }
  TSettingsGuard(const TSettingsGuard&) = delete;
  TSettingsGuard& operator=(const TSettingsGuard&) = delete;

private:
  TFormatSettings FSaved;
  TCodePage FPage;
};

// A fixture with neutral settings: '.' decimals, ',' thousands, d/m/y dates.
class TNeutralSettings : public ::testing::Test {
protected:
  void SetUp() override {
    TFormatSettings& fs = FormatSettings();
    fs = TFormatSettings();
    SetAnsiCodePage(TCodePage::Windows1252);
  }
  TSettingsGuard FGuard;
};

// Sets TZ for the lifetime of the object and restores the former value.
class TTimeZoneGuard {
public:
  explicit TTimeZoneGuard(const char* zone) {
    if (const char* old = std::getenv("TZ")) FSaved = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TTimeZoneGuard() {
    if (FSaved) setenv("TZ", FSaved->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  TTimeZoneGuard(const TTimeZoneGuard&) = delete;
  TTimeZoneGuard& operator=(const TTimeZoneGuard&) = delete;

private:
  std::optional<std::string> FSaved;
};
