// FormatSettings from the environment's locale: neutral locales and locales
// that are not installed keep the defaults, and the settings stay settable.
#include <cstdlib>
#include <optional>

#include "SysUtilsTestSupport.h"

namespace {

class TEnvGuard {
public:
  TEnvGuard(const char* name, const char* value) : FName(name) {
    if (const char* old = std::getenv(name)) FSaved = old;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~TEnvGuard() {
    if (FSaved) setenv(FName, FSaved->c_str(), 1);
    else unsetenv(FName);
  }
  TEnvGuard(const TEnvGuard&) = delete;
  TEnvGuard& operator=(const TEnvGuard&) = delete;

private:
  const char* FName;
  std::optional<std::string> FSaved;
};

void ExpectDefaults(const char* locale) {
  const TFormatSettings& fs = FormatSettings();
  const TFormatSettings defaults;
  EXPECT_EQ(fs.DecimalSeparator, defaults.DecimalSeparator) << locale;
  EXPECT_EQ(fs.ThousandSeparator, defaults.ThousandSeparator) << locale;
  EXPECT_EQ(fs.DateSeparator, defaults.DateSeparator) << locale;
  EXPECT_EQ(fs.ShortDateFormat, defaults.ShortDateFormat) << locale;
  EXPECT_EQ(fs.LongTimeFormat, defaults.LongTimeFormat) << locale;
  EXPECT_EQ(fs.LongMonthNames[0], "January") << locale;
}

TEST(FormatSettingsTest, NeutralAndMissingLocalesKeepTheDefaults) {
  TSettingsGuard guard;
  for (const char* locale : {"C", "POSIX", "C.UTF-8", "xx_NOWHERE.UTF-8"}) {
    TEnvGuard all("LC_ALL", locale);
    FormatSettings().DecimalSeparator = '#';
    FormatSettings().ShortDateFormat = "junk";
    LoadFormatSettingsFromLocale();
    ExpectDefaults(locale);
  }
}

TEST(FormatSettingsTest, SettingsAreSettableAndShared) {
  TSettingsGuard guard;
  FormatSettings().DecimalSeparator = ',';
  EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
  EXPECT_EQ(FloatToStr(0.5), "0,5");
}

}  // namespace
