#include "TextMetrics.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <map>
#include <memory>
#include <tuple>

#include "CodePage.h"

namespace {

QString FamilyFor(const AnsiString& name) {
  AnsiString upper = UpperCase(name);
  if (upper.find("ARIAL") != AnsiString::npos) return "Liberation Sans";
  if (upper.find("TIMES") != AnsiString::npos) return "Liberation Serif";
  if (upper.find("COURIER") != AnsiString::npos) return "Liberation Mono";
  return QString::fromStdString(AnsiToUtf8(name));
}

using TFontKey = std::tuple<AnsiString, int32_t, uint32_t>;

uint32_t StyleBits(const TFont& font) { return font.Style().Bits; }

}  // namespace

void EnsureGuiApplication() {
  if (QGuiApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "vorda-export";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

QFont ToQFont(const TFont& font) {
  EnsureGuiApplication();
  QFont q(FamilyFor(font.Name()));
  int height = font.Height();
  // A negative height is the character height without internal leading,
  // which is what a pixel size means to Qt.
  q.setPixelSize(height < 0 ? -height : (height > 0 ? height : 11));
  q.setBold(font.Style().Contains(fsBold));
  q.setItalic(font.Style().Contains(fsItalic));
  q.setUnderline(font.Style().Contains(fsUnderline));
  q.setStrikeOut(font.Style().Contains(fsStrikeOut));
  return q;
}

TTextExtent MeasureText(const TFont& font, const AnsiString& text) {
  // Metrics objects are kept per font look: building one costs far more than
  // measuring a short text.
  static std::map<TFontKey, std::unique_ptr<QFontMetrics>> cache;
  TFontKey key{font.Name(), font.Height(), StyleBits(font)};
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, std::make_unique<QFontMetrics>(ToQFont(font))).first;
  const QFontMetrics& fm = *it->second;
  return {fm.horizontalAdvance(QString::fromStdString(AnsiToUtf8(text))), fm.height()};
}
